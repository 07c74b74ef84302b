#include "settings/ini_document.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace zm {
namespace {

using namespace std::string_literals;

std::optional<std::string> Value(const IniDocument& document, const char* section,
                                 const char* key) {
  auto value = document.Find(section, key);
  if (!value) return std::nullopt;
  return std::string(*value);
}

TEST(IniDocumentTest, SerialisesUnchangedTextByteForByte) {
  for (std::string text :
       {""s, "\n"s, "[A]\r\nk=1\r\n"s, "[A]\nk=1"s, "no newline at end"s, "\r\n\r\n"s,
        "mixed\r\nends\nhere\r"s, "a\rb\n"s, "[open\nk=1\n"s, "nul\0byte=1\n[S\0]\n"s,
        "  [ A ]  ; trailing\n\tkey with blanks = value with blanks \n"s,
        std::string(100000, 'x') + "=" + std::string(100000, 'y')}) {
    EXPECT_EQ(IniDocument(text).Text(), text);
  }
}

TEST(IniDocumentTest, MatchesNamesWithoutRegardToAsciiCase) {
  IniDocument document("[basic_Parameters]\nheight=600\n");
  EXPECT_EQ(Value(document, "BASIC_PARAMETERS", "Height"), "600");
  document.Set("Basic_Parameters", "HEIGHT", "768");
  EXPECT_EQ(document.Text(), "[basic_Parameters]\nheight=768\n");
}

TEST(IniDocumentTest, TrimsNamesAndValues) {
  IniDocument document("  [ S ] junk\n \t Key \t=\t 42 \t\r\n");
  EXPECT_EQ(Value(document, "S", "Key"), "42");
}

TEST(IniDocumentTest, IgnoresLinesThatAreNotKeys) {
  IniDocument document(
      "k=before any section\n[S]\n; k=comment\n# k=comment\njust text\n=no name\n[T\nk=in S\n");
  EXPECT_EQ(Value(document, "S", "k"), "in S");  // "[T" opens no section
  EXPECT_EQ(Value(document, "T", "k"), std::nullopt);
  EXPECT_EQ(Value(document, "S", "just text"), std::nullopt);
}

TEST(IniDocumentTest, FirstDuplicateWinsForReadingAndWriting) {
  IniDocument document("[S]\nk=1\nk=2\n[s]\nk=3\nj=4\n");
  EXPECT_EQ(Value(document, "S", "k"), "1");
  EXPECT_EQ(Value(document, "S", "j"), std::nullopt);  // only the first section counts
  document.Set("S", "k", "9");
  document.Set("S", "j", "8");
  EXPECT_EQ(document.Text(), "[S]\nk=9\nk=2\nj=8\n[s]\nk=3\nj=4\n");
}

TEST(IniDocumentTest, ReplacesValueInPlaceKeepingTheTextBeforeIt) {
  IniDocument document("[S]\r\n  Width =  640   \r\nother=1\r\n");
  document.Set("S", "width", "800");
  EXPECT_EQ(document.Text(), "[S]\r\n  Width =  800\r\nother=1\r\n");
  document.Set("S", "other", "");
  document.Set("S", "other", "2");
  EXPECT_EQ(Value(document, "S", "other"), "2");
}

TEST(IniDocumentTest, AddsKeyAfterTheSectionsLastKey) {
  IniDocument document("[A]\na=1\n\n; about B\n[B]\nb=2\n");
  document.Set("A", "new", "x");
  EXPECT_EQ(document.Text(), "[A]\na=1\nnew=x\n\n; about B\n[B]\nb=2\n");
  IniDocument empty_section("[A]\n[B]\n");
  empty_section.Set("A", "k", "v");
  EXPECT_EQ(empty_section.Text(), "[A]\nk=v\n[B]\n");
}

TEST(IniDocumentTest, AppendsNewSectionAtTheEnd) {
  IniDocument document("[A]\na=1\n");
  document.Set("B", "b", "2");
  EXPECT_EQ(document.Text(), "[A]\na=1\n\n[B]\nb=2\n");
  IniDocument blank_last("[A]\na=1\n\n");
  blank_last.Set("B", "b", "2");
  EXPECT_EQ(blank_last.Text(), "[A]\na=1\n\n[B]\nb=2\n");
}

TEST(IniDocumentTest, NewLinesFollowTheFilesLineEndings) {
  IniDocument crlf("[A]\r\na=1");  // no final line ending
  crlf.Set("A", "b", "2");
  crlf.Set("C", "c", "3");
  EXPECT_EQ(crlf.Text(), "[A]\r\na=1\r\nb=2\r\n\r\n[C]\r\nc=3\r\n");
  IniDocument header_only("[A]");
  header_only.Set("A", "a", "1");
  EXPECT_EQ(Value(header_only, "A", "a"), "1");
}

TEST(IniDocumentTest, EmptyDocumentStartsWithTheFirstSectionWritten) {
  IniDocument document;
  document.Set("S", "k", "1");
  document.Set("T", "k", "2");
  document.Set("S", "j", "3");
  EXPECT_EQ(IniDocument(document.Text()).Text(), document.Text());
#ifndef _WIN32
  EXPECT_EQ(document.Text(), "[S]\nk=1\nj=3\n\n[T]\nk=2\n");
#endif
}

TEST(IniDocumentTest, WrittenValuesReadBackFromOddFiles) {
  for (std::string text : {"[S\nk=1\n"s, "[S]"s, "[S]\rk=1"s, "x\0[S]\n"s, "[S]\n=1\n"s,
                           "[S]\nk\n"s, "[S]\n\0k=1\n"s, "[S]\nk=1\r"s}) {
    IniDocument document(text);
    document.Set("S", "k", "7");
    document.Set("S", "j", "8");
    IniDocument reread(document.Text());
    EXPECT_EQ(Value(reread, "S", "k"), "7") << text;
    EXPECT_EQ(Value(reread, "S", "j"), "8") << text;
  }
}

}  // namespace
}  // namespace zm
