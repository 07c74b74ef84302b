#include "settings/ini_document.h"

#include "settings/ascii_names.h"

namespace zm {
namespace {

constexpr std::string_view kBlanks = " \t\r\v\f";

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

IniDocument::IniDocument(std::string_view text) {
  bool ending_seen = false;
  while (!text.empty()) {
    std::size_t newline = text.find('\n');
    if (newline == std::string_view::npos) {
      lines_.push_back(MakeLine(std::string(text), Ending::kNone));
      break;
    }
    bool crlf = newline > 0 && text[newline - 1] == '\r';
    Ending ending = crlf ? Ending::kCrLf : Ending::kLf;
    lines_.push_back(MakeLine(std::string(text.substr(0, newline - (crlf ? 1 : 0))), ending));
    if (!ending_seen) new_line_ending_ = ending;
    ending_seen = true;
    text.remove_prefix(newline + 1);
  }
}

std::string IniDocument::Text() const {
  std::string text;
  for (const Line& line : lines_) {
    text += line.text;
    text += EndingText(line.ending);
  }
  return text;
}

std::optional<std::string_view> IniDocument::Find(std::string_view section,
                                                  std::string_view key) const {
  std::size_t header = FindSection(section);
  if (header == lines_.size()) return std::nullopt;
  std::size_t line = FindKey(header, key);
  if (line == lines_.size()) return std::nullopt;
  return lines_[line].Value();
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
  std::size_t header = FindSection(section);
  if (header == lines_.size()) {
    AppendSection(section, key, value);
    return;
  }
  std::size_t existing = FindKey(header, key);
  if (existing != lines_.size()) {
    Line& line = lines_[existing];
    line.text.resize(line.value_begin);
    line.text += value;
    Classify(line);
    return;
  }
  InsertLine(LastKeyOfSection(header) + 1, Concat(key, "=", value));
}

std::string_view IniDocument::Line::Name() const {
  return std::string_view(text).substr(name_begin, name_end - name_begin);
}

std::string_view IniDocument::Line::Value() const {
  return std::string_view(text).substr(value_begin, value_end - value_begin);
}

IniDocument::Line IniDocument::MakeLine(std::string text, Ending ending) {
  Line line;
  line.text = std::move(text);
  line.ending = ending;
  Classify(line);
  return line;
}

void IniDocument::Classify(Line& line) {
  std::string_view text = line.text;
  std::size_t first = 0, last = text.size();
  Trim(text, first, last);
  line.kind = LineKind::kOther;
  line.name_begin = line.name_end = line.value_begin = line.value_end = 0;
  if (first == last || text[first] == ';' || text[first] == '#') return;
  if (text[first] == '[') {
    std::size_t close = text.find(']', first + 1);
    if (close == std::string_view::npos) return;
    line.name_begin = first + 1;
    line.name_end = close;
    Trim(text, line.name_begin, line.name_end);
    line.kind = LineKind::kSection;
    return;
  }
  std::size_t equals = text.find('=', first);
  if (equals == std::string_view::npos) return;
  line.name_begin = first;
  line.name_end = equals;
  Trim(text, line.name_begin, line.name_end);
  if (line.name_begin == line.name_end) return;
  line.value_begin = equals + 1;
  line.value_end = text.size();
  Trim(text, line.value_begin, line.value_end);
  line.kind = LineKind::kKey;
}

std::string_view IniDocument::EndingText(Ending ending) {
  switch (ending) {
    case Ending::kLf:
      return "\n";
    case Ending::kCrLf:
      return "\r\n";
    case Ending::kNone:
      break;
  }
  return "";
}

// The index of the first line opening `section`, or lines_.size().
std::size_t IniDocument::FindSection(std::string_view section) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    if (line.kind == LineKind::kSection && EqualsIgnoringAsciiCase(line.Name(), section)) return i;
  }
  return lines_.size();
}

// The index of the first line of `key` in the section opened at `header`, or
// lines_.size().
std::size_t IniDocument::FindKey(std::size_t header, std::string_view key) const {
  for (std::size_t i = header + 1; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    if (line.kind == LineKind::kSection) break;
    if (line.kind == LineKind::kKey && EqualsIgnoringAsciiCase(line.Name(), key)) return i;
  }
  return lines_.size();
}

// The last key line of the section opened at `header`, or the header itself.
// New keys go after it, so that comments and blank lines in front of the next
// section stay with that section.
std::size_t IniDocument::LastKeyOfSection(std::size_t header) const {
  std::size_t last = header;
  for (std::size_t i = header + 1; i < lines_.size(); ++i) {
    if (lines_[i].kind == LineKind::kSection) break;
    if (lines_[i].kind == LineKind::kKey) last = i;
  }
  return last;
}

void IniDocument::InsertLine(std::size_t position, std::string text) {
  // Only the last line can lack an ending; it needs one before a line follows.
  if (position > 0 && lines_[position - 1].ending == Ending::kNone) {
    lines_[position - 1].ending = new_line_ending_;
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(position),
                MakeLine(std::move(text), new_line_ending_));
}

void IniDocument::AppendSection(std::string_view section, std::string_view key,
                                std::string_view value) {
  // A blank line keeps a new section apart from what the file held before.
  if (!lines_.empty() && !lines_.back().text.empty()) InsertLine(lines_.size(), "");
  InsertLine(lines_.size(), Concat("[", section, "]"));
  InsertLine(lines_.size(), Concat(key, "=", value));
}

}  // namespace zm
