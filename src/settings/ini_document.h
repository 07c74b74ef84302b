#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zm {

// The in-memory model of an INI file. It keeps the text it was parsed from as
// one string, so that serialising gives back the same bytes and memory stays
// close to the file's size, and changes only the lines that a write touches.
// Lookups scan the text; a settings file is small and read a few times.
//
// Line rules (any bytes are accepted, NUL included):
// - A UTF-8 byte-order mark at the very start is kept but not read.
// - Lines end at "\n", "\r\n" or a lone "\r"; each line keeps its own ending,
//   and the last line may have none.
// - Blanks are space, tab, CR, VT and FF; names and values are trimmed of them.
// - A section line starts (after blanks) with "[" and has a "]"; its name is
//   the trimmed text between "[" and the first "]". Text after "]" is ignored.
//   A "[" without "]" makes an ordinary line, which opens no section.
// - A line starting (after blanks) with ";" or "#" is a comment.
// - Any other line with "=" and a non-empty name before it is a key line; the
//   value is the trimmed text after the first "=".
// - Everything else (blank lines, lines without "=", keys before the first
//   section) is kept but never read.
// Section and key names match without regard to ASCII case. When a section
// name or a key within a section appears more than once, the first one is the
// one read and written; later duplicates are kept as they are.
class IniDocument {
 public:
  IniDocument() = default;
  explicit IniDocument(std::string text);

  // The whole file: every line followed by its own ending.
  const std::string& Text() const { return text_; }

  // The trimmed value of `key` in `section`; nullopt when either is missing.
  std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;

  // Sets the value of `key` in `section`: in place when the key exists (the
  // text up to the value is kept), otherwise as a new line after the
  // section's last key, otherwise as a new section at the end of the file.
  void Set(std::string_view section, std::string_view key, std::string_view value);

 private:
  enum class LineKind { kOther, kSection, kKey };

  // One line as offsets into the text.
  struct Line {
    std::size_t begin = 0, end = 0;  // the line without its ending
    std::size_t next = 0;            // where the next line starts
    LineKind kind = LineKind::kOther;
    std::size_t name_begin = 0, name_end = 0;    // section or key name
    std::size_t value_begin = 0, value_end = 0;  // key value
  };

  std::size_t FirstLineStart() const;
  // The line starting at `begin` (< text size), classified.
  Line LineAt(std::size_t begin) const;
  std::string_view Slice(std::size_t begin, std::size_t end) const;
  bool FindSection(std::string_view section, Line& header) const;
  bool FindKey(const Line& header, std::string_view key, Line& found) const;
  Line LastKeyOfSection(const Line& header) const;
  // Inserts `line` and an ending after the line `after` (nullptr: at the very
  // start), giving `after` an ending first when it is the unended last line.
  void InsertLineAfter(const Line* after, std::string_view line);
  std::optional<Line> LastLine() const;
  void AppendSection(std::string_view section, std::string_view key, std::string_view value);

#ifdef _WIN32
  static constexpr std::string_view kDefaultEnding = "\r\n";
#else
  static constexpr std::string_view kDefaultEnding = "\n";
#endif

  std::string text_;
  // New lines take the ending of the file's first ended line; a file without
  // one takes the platform's usual ending.
  std::string_view new_line_ending_ = kDefaultEnding;
};

}  // namespace zm
