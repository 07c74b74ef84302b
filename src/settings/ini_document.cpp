#include "settings/ini_document.h"

#include <utility>

#include "settings/ascii_names.h"

namespace zm {
namespace {

constexpr std::string_view kBlanks = " \t\r\v\f";
// The blanks that can stand inside a line (a CR always ends one).
constexpr std::string_view kLineBlanks = " \t\v\f";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The range [begin, end) of `text` without blanks at either side.
void Trim(std::string_view text, std::size_t& begin, std::size_t& end) {
  while (begin < end && kBlanks.find(text[begin]) != std::string_view::npos) ++begin;
  while (end > begin && kBlanks.find(text[end - 1]) != std::string_view::npos) --end;
}

// a + b + c as one string.
std::string Concat(std::string_view a, std::string_view b, std::string_view c) {
  std::string text;
  text.reserve(a.size() + b.size() + c.size());
  text.append(a).append(b).append(c);
  return text;
}

}  // namespace

IniDocument::IniDocument(std::string text) : text_(std::move(text)) {
  const std::size_t ending = text_.find_first_of("\r\n", FirstLineStart());
  if (ending == std::string::npos) return;
  if (text_[ending] == '\n') {
    new_line_ending_ = "\n";
  } else {
    new_line_ending_ = ending + 1 < text_.size() && text_[ending + 1] == '\n' ? "\r\n" : "\r";
  }
}

std::optional<std::string_view> IniDocument::Find(std::string_view section,
                                                  std::string_view key) const {
  Line header, line;
  if (!FindSection(section, header) || !FindKey(header, key, line)) return std::nullopt;
  return Slice(line.value_begin, line.value_end);
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
  Line header;
  if (!FindSection(section, header)) {
    AppendSection(section, key, value);
    return;
  }
  Line line;
  if (FindKey(header, key, line)) {
    text_.replace(line.value_begin, line.end - line.value_begin, value);
    return;
  }
  const Line last = LastKeyOfSection(header);
  InsertLineAfter(&last, Concat(key, "=", value));
}

std::size_t IniDocument::FirstLineStart() const {
  return text_.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
}

IniDocument::Line IniDocument::LineAt(std::size_t begin) const {
  Line line;
  line.begin = begin;
  line.end = text_.find_first_of("\r\n", begin);
  if (line.end == std::string::npos)
    line.end = line.next = text_.size();
  else if (text_[line.end] == '\r' && line.end + 1 < text_.size() && text_[line.end + 1] == '\n')
    line.next = line.end + 2;
  else
    line.next = line.end + 1;

  // Searches stay within the line, so that a file of long unclosed lines
  // costs no more than one pass.
  const std::string_view text = std::string_view(text_).substr(0, line.end);
  std::size_t first = line.begin, last = line.end;
  Trim(text, first, last);
  if (first == last || text[first] == ';' || text[first] == '#') return line;
  if (text[first] == '[') {
    const std::size_t close = text.find(']', first + 1);
    if (close == std::string_view::npos) return line;
    line.name_begin = first + 1;
    line.name_end = close;
    Trim(text, line.name_begin, line.name_end);
    line.kind = LineKind::kSection;
    return line;
  }
  const std::size_t equals = text.find('=', first);
  if (equals == std::string_view::npos) return line;
  line.name_begin = first;
  line.name_end = equals;
  Trim(text, line.name_begin, line.name_end);
  if (line.name_begin == line.name_end) return line;
  line.value_begin = equals + 1;
  line.value_end = line.end;
  Trim(text, line.value_begin, line.value_end);
  line.kind = LineKind::kKey;
  return line;
}

std::string_view IniDocument::Slice(std::size_t begin, std::size_t end) const {
  return std::string_view(text_).substr(begin, end - begin);
}

// The first line opening `section`. Only lines whose first non-blank is "["
// are looked at, so that the search runs at the speed of memchr.
bool IniDocument::FindSection(std::string_view section, Line& header) const {
  const std::size_t start = FirstLineStart();
  std::size_t at = text_.find('[', start);
  while (at != std::string::npos) {
    std::size_t begin = at;
    while (begin > start && kLineBlanks.find(text_[begin - 1]) != std::string_view::npos) --begin;
    std::size_t next = at + 1;
    if (begin == start || text_[begin - 1] == '\n' || text_[begin - 1] == '\r') {
      header = LineAt(begin);
      if (header.kind == LineKind::kSection &&
          EqualsIgnoringAsciiCase(Slice(header.name_begin, header.name_end), section))
        return true;
      next = header.next;
    }
    at = text_.find('[', next);
  }
  return false;
}

// The first line of `key` in the section opened by `header`.
bool IniDocument::FindKey(const Line& header, std::string_view key, Line& found) const {
  for (std::size_t at = header.next; at < text_.size(); at = found.next) {
    found = LineAt(at);
    if (found.kind == LineKind::kSection) return false;
    if (found.kind == LineKind::kKey &&
        EqualsIgnoringAsciiCase(Slice(found.name_begin, found.name_end), key))
      return true;
  }
  return false;
}

// The last key line of the section opened by `header`, or the header itself.
// New keys go after it, so that comments and blank lines in front of the next
// section stay with that section.
IniDocument::Line IniDocument::LastKeyOfSection(const Line& header) const {
  Line last = header;
  for (std::size_t at = header.next; at < text_.size();) {
    const Line line = LineAt(at);
    if (line.kind == LineKind::kSection) break;
    if (line.kind == LineKind::kKey) last = line;
    at = line.next;
  }
  return last;
}

void IniDocument::InsertLineAfter(const Line* after, std::string_view line) {
  std::size_t position = after != nullptr ? after->next : FirstLineStart();
  // Only the last line can lack an ending; it needs one before a line follows.
  if (after != nullptr && after->next == after->end) {
    text_.insert(position, new_line_ending_);
    position += new_line_ending_.size();
  }
  text_.insert(position, Concat(line, new_line_ending_, ""));
}

std::optional<IniDocument::Line> IniDocument::LastLine() const {
  const std::size_t start = FirstLineStart();
  if (text_.size() == start) return std::nullopt;
  // Step back over the last line's ending, then to the end of the line before.
  std::size_t end = text_.size();
  if (text_[end - 1] == '\n' || text_[end - 1] == '\r') {
    --end;
    if (text_[end] == '\n' && end > start && text_[end - 1] == '\r') --end;
  }
  std::size_t begin = end;
  while (begin > start && text_[begin - 1] != '\n' && text_[begin - 1] != '\r') --begin;
  return LineAt(begin);
}

void IniDocument::AppendSection(std::string_view section, std::string_view key,
                                std::string_view value) {
  std::optional<Line> last = LastLine();
  // A blank line keeps a new section apart from what the file held before.
  if (last && last->begin != last->end) {
    InsertLineAfter(&*last, "");
    last = LastLine();
  }
  InsertLineAfter(last ? &*last : nullptr, Concat("[", section, "]"));
  last = LastLine();
  InsertLineAfter(&*last, Concat(key, "=", value));
}

}  // namespace zm
