#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zm {

// The in-memory model of an INI file. It keeps every line of the text it was
// parsed from, so that serialising gives back the same bytes, and changes only
// the lines that a write touches.
//
// Line rules (any bytes are accepted, NUL included):
// - Lines end at "\n" or "\r\n"; each line keeps its own ending, and the last
//   line may have none. A lone "\r" elsewhere is part of the line.
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
  explicit IniDocument(std::string_view text);

  // The whole file: every line followed by its own ending.
  std::string Text() const;

  // The trimmed value of `key` in `section`; nullopt when either is missing.
  std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;

  // Sets the value of `key` in `section`: in place when the key exists (the
  // text up to the value is kept), otherwise as a new line after the
  // section's last key, otherwise as a new section at the end of the file.
  void Set(std::string_view section, std::string_view key, std::string_view value);

 private:
  enum class LineKind { kOther, kSection, kKey };
  enum class Ending { kNone, kLf, kCrLf };

  struct Line {
    std::string text;
    Ending ending = Ending::kNone;
    LineKind kind = LineKind::kOther;
    std::size_t name_begin = 0, name_end = 0;    // section or key name
    std::size_t value_begin = 0, value_end = 0;  // key value

    std::string_view Name() const;
    std::string_view Value() const;
  };

  static Line MakeLine(std::string text, Ending ending);
  static void Classify(Line& line);
  static std::string_view EndingText(Ending ending);

  std::size_t FindSection(std::string_view section) const;
  std::size_t FindKey(std::size_t header, std::string_view key) const;
  std::size_t LastKeyOfSection(std::size_t header) const;
  void InsertLine(std::size_t position, std::string text);
  void AppendSection(std::string_view section, std::string_view key, std::string_view value);

#ifdef _WIN32
  static constexpr Ending kDefaultEnding = Ending::kCrLf;
#else
  static constexpr Ending kDefaultEnding = Ending::kLf;
#endif

  std::vector<Line> lines_;
  // New lines take the ending of the file's first ended line; a file without
  // one takes the platform's usual ending.
  Ending new_line_ending_ = kDefaultEnding;
};

}  // namespace zm
