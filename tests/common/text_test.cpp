#include "common/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace std::string_literals;
using quorvel::trim;

namespace {

struct TrimCase {
  std::string in;
  std::string out;
};

TEST(Text, TrimRemovesControlCodesAndSpacesAtBothEndsOnly) {
  const std::vector<TrimCase> cases = {
      {"  joao@x.com  ", "joao@x.com"},
      {"\t\r\n joao@x.com\r\n", "joao@x.com"},
      {"\0\x01 a@b.com \x1F\0"s, "a@b.com"},
      {"a \t\0 b"s, "a \t\0 b"s},  // inside the text nothing is touched
      {" \t\r\n\0"s, ""},          // only codes <= 32: nothing left
      {"", ""},
      {"\xC2\xA0x\xC2\xA0", "\xC2\xA0x\xC2\xA0"},  // U+00A0 is above 32 and stays
      {"\x7Fz\x7F", "\x7Fz\x7F"},                  // DEL is 127
      {"\t\xFF\t", "\xFF"},                        // an ill-formed byte is text, not space
  };
  for (const auto& c : cases) {
    EXPECT_EQ(trim(c.in), c.out) << "input: " << c.in;
    EXPECT_EQ(quorvel::isBlank(c.in), c.out.empty()) << "input: " << c.in;
  }
}

TEST(Text, ToLowerMapsAsciiAndAccentedLettersAndKeepsIllFormedBytes) {
  const std::vector<TrimCase> cases = {
      {"JOAO@GMAIL.COM", "joao@gmail.com"},
      {"ÁÉÇ", "áéç"},
      {"ÃÕÂÊÔÜÀ", "ãõâêôüà"},
      {"JoÃO.Conceição@Uol.COM.BR", "joão.conceição@uol.com.br"},
      {"\xF0\x90\x90\x80", "\xF0\x90\x90\xA8"},  // U+10400 -> U+10428, four-byte path
      {"AB\x80XY", "ab\x80xy"},                  // stray continuation byte after an ASCII prefix
      {"Á\xFFÁ", "á\xFFá"},
      {"É\xC3(Ç", "é\xC3(ç"},  // lead byte without its continuation
      {"Ç\xC3", "ç\xC3"},      // truncated at the end
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(quorvel::toLower(c.in), c.out) << "input: " << c.in;

  // The reusable buffer is cleared before writing.
  std::string out = "lixo anterior";
  quorvel::toLowerInto("ÇA", out);
  EXPECT_EQ(out, "ça");

  // Every ASCII character at every offset of the eight-byte steps, then an accent at the end.
  std::string ascii, esperado;
  for (int c = 1; c < 128; ++c) {
    ascii.push_back(static_cast<char>(c));
    esperado.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c));
  }
  for (size_t deslocamento = 0; deslocamento < 8; ++deslocamento) {
    std::string prefixo(deslocamento, 'Q'), prefixoMin(deslocamento, 'q');
    EXPECT_EQ(quorvel::toLower(prefixo + ascii + "É"), prefixoMin + esperado + "é");
  }
}

TEST(Text, EqualsIgnoreCase) {
  struct Case {
    std::string a, b;
    bool equal;
  };
  const std::vector<Case> cases = {
      {"Reyansh", "reyansh", true},
      {".FR", ".fr", true},
      {"JOÃO", "joão", true},
      {"Ção", "çÃO", true},
      {"ana", "aná", false},  // an accent is a different letter
      {"abc", "abcd", false},
      {"", "", true},
      {"", " ", false},
      {"A\xFF", "a\xFF", true},
      {"a\xFF", "a\xFE", false},
      {"A\xFF", "a\xC3\xBF", false},  // 0xFF byte is not "ÿ"
  };
  for (const auto& c : cases) {
    EXPECT_EQ(quorvel::equalsIgnoreCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
    EXPECT_EQ(quorvel::equalsIgnoreCase(c.b, c.a), c.equal) << c.b << " / " << c.a;
  }
}

TEST(Text, SplitLinesAtCrLfLfAndCr) {
  struct Case {
    std::string text;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb\r\nc", {"a", "b", "c"}},
      {"a\nb", {"a", "b"}},
      {"a\rb", {"a", "b"}},
      {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
      {"a\r\n", {"a"}},  // a final break does not start an empty line
      {"a\n", {"a"}},
      {"a\r", {"a"}},
      {"a\r\n\r\n", {"a", ""}},
      {"a\r\n\r\nb", {"a", "", "b"}},
      {"a\n\rb", {"a", "", "b"}},  // LF then CR are two breaks
      {"a\r\r\nb", {"a", "", "b"}},
      {"\r\n", {""}},
      {"\n\n", {"", ""}},
      {" a \t\r\nção", {" a \t", "ção"}},  // lines are not trimmed
  };
  for (const auto& c : cases) EXPECT_EQ(quorvel::splitLines(c.text), c.lines) << "text: " << c.text;
}

TEST(Text, CodePointCountAndUtf8Validity) {
  struct Case {
    std::string text;
    size_t codePoints;
    bool valid;
  };
  const std::vector<Case> cases = {
      {"", 0, true},
      {"abc", 3, true},
      {"ção", 3, true},
      {"€", 1, true},
      {"\xF0\x9F\x98\x80", 1, true},  // U+1F600
      {"a\0b"s, 3, true},
      {"a\xFFz", 3, false},
      {"\xE2\x82", 2, false},          // truncated "€": one per ill-formed byte
      {"\xC0\xAF", 2, false},          // overlong "/"
      {"\xED\xA0\x80", 3, false},      // UTF-16 surrogate encoded in UTF-8
      {"\xF4\x90\x80\x80", 4, false},  // above U+10FFFF
      {"\x80", 1, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(quorvel::codePointCount(c.text), c.codePoints) << "text: " << c.text;
    EXPECT_EQ(quorvel::isValidUtf8(c.text), c.valid) << "text: " << c.text;
  }
}

TEST(Text, AppendUtf8RoundTripsThroughNextCodePoint) {
  for (char32_t cp : {U'a', U'\u00E7', U'\u20AC', U'\U0001F600', U'\U0010FFFF'}) {
    std::string s;
    quorvel::appendUtf8(s, cp);
    size_t i = 0;
    EXPECT_EQ(quorvel::nextCodePoint(s, i), static_cast<int>(cp));
    EXPECT_EQ(i, s.size());
  }
}

}  // namespace
