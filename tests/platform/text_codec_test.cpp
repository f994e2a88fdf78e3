#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "platform/codec.h"
#include "platform/text.h"

namespace bardrill {
namespace {

std::string Hex(const std::string& bytes) {
  std::string out;
  char buf[4];
  for (unsigned char c : bytes) {
    std::snprintf(buf, sizeof buf, "%02X", c);
    out += buf;
  }
  return out;
}

TEST(Codec, GradeMarksAndWindowsFormsRoundTripWithTheirCp932Bytes) {
  // The NEC extension characters that plain Shift_JIS lacks.
  EXPECT_EQ(Hex(codec::Utf8ToCp932("①②③④⑤⑥")), "874087418742874387448745");
  EXPECT_EQ(Hex(codec::Utf8ToCp932("ⅠⅡⅢ")), "875487558756");
  EXPECT_EQ(Hex(codec::Utf8ToCp932("～―")), "8160815C");
  EXPECT_EQ(Hex(codec::Utf8ToCp932("ﾚﾍﾞﾙ")), "DACDDED9");
  for (const char* s : {"①②③④⑤⑥", "ⅠⅡⅢ", "山田 太郎★先生", "ｸﾘｱﾎﾟｲﾝﾄ,目標Time", "　全角空白"}) {
    EXPECT_EQ(codec::Cp932ToUtf8(codec::Utf8ToCp932(s)), s);
  }
}

TEST(Codec, RefusesCharactersCp932CannotHoldInsteadOfWritingQuestionMarks) {
  EXPECT_THROW(codec::Utf8ToCp932("波〜"), std::invalid_argument);  // U+301C wave dash
  EXPECT_THROW(codec::Utf8ToCp932("−"), std::invalid_argument);     // U+2212 minus sign
  EXPECT_THROW(codec::Utf8ToCp932("😀"), std::invalid_argument);
  EXPECT_THROW(codec::Utf8ToCp932("山\u200B田"), std::invalid_argument);  // a zero-width space
  EXPECT_THROW(codec::Utf8ToCp932("soft\u00ADhyphen"), std::invalid_argument);
}

TEST(Codec, ACtrlZLeftByOldEditorsEndsTheText) {
  EXPECT_EQ(codec::Cp932ToUtf8(std::string("abc\r\n\x1A", 6)), "abc\r\n");
  EXPECT_EQ(codec::Cp932ToUtf8(""), "");
}

// Editors save UTF-8 today and Shift-JIS before; the bytes tell which, and bytes neither can read are
// refused with their place rather than read as replacement characters.
TEST(Codec, TextFilesAreReadAsUtf8OrCp932ByTheirBytes) {
  const std::string sjisName = codec::Utf8ToCp932("山田①");
  EXPECT_EQ(codec::TextFileToUtf8("1,abc\r\n"), "1,abc\r\n");
  EXPECT_EQ(codec::TextFileToUtf8(sjisName), "山田①");
  EXPECT_EQ(codec::TextFileToUtf8("山田①"), "山田①");
  EXPECT_EQ(codec::TextFileToUtf8("\xEF\xBB\xBF"
                                  "abc\r\n\x1A"),
            "abc\r\n");
  // CP932 "ﾃｩ" is also UTF-8 "é": valid UTF-8 with non-ASCII bytes is taken as UTF-8...
  EXPECT_EQ(codec::TextFileToUtf8("\xC3\xA9"), "é");
  // ...but one byte that UTF-8 cannot read makes the whole file CP932.
  EXPECT_EQ(codec::TextFileToUtf8("\xC3\xA9" + sjisName), "ﾃｩ山田①");

  struct Bad {
    std::string bytes;
    size_t offset;
    const char* says;
  };
  for (const Bad& bad : std::vector<Bad>{
           {"ab\r\n" + sjisName + "\x85\x40", 10, "the bytes 85 40 here are not Shift-JIS"},
           {sjisName + "\x93", 6, "the byte 93 here is not Shift-JIS"},  // cut inside a character
           {"\xEF\xBB\xBF"
            "ab" +
                sjisName,
            5, "starts with the UTF-8 mark, but the byte 8E"},
           {std::string("\xFF\xFE"
                        "a",
                        3),
            0, "UTF-16"},
       }) {
    try {
      codec::TextFileToUtf8(bad.bytes);
      ADD_FAILURE() << bad.says << ": read without complaint";
    } catch (const codec::UndecodableText& e) {
      EXPECT_EQ(e.offset(), bad.offset) << e.what();
      EXPECT_NE(std::string(e.what()).find(bad.says), std::string::npos) << e.what();
    }
  }
}

TEST(Text, CountsCharactersNotBytes) {
  EXPECT_EQ(text::Length("山田abc"), 5u);
  EXPECT_EQ(text::Left("山田太郎", 2), "山田");
  EXPECT_EQ(text::Right("山田太郎", 3), "田太郎");
  EXPECT_EQ(text::Right("ab", 5), "ab");
  EXPECT_EQ(text::Mid("01234山田塾", 5), "山田塾");
  EXPECT_EQ(text::FitLeft("山田", 4), "山田  ");
  EXPECT_EQ(text::AlignRight("山田", 4), "  山田");
  EXPECT_EQ(text::AlignRight("12345", 3), "12345") << "a longer text is kept whole";
  EXPECT_EQ(text::FitLeft("一二三四五六七八九十一二三四五六七八九十一二三四五", 20),
            "一二三四五六七八九十一二三四五六七八九十");
  EXPECT_EQ(text::Trim("  a b \t"), "a b");
  EXPECT_EQ(text::TrimRight("01   "), "01");
}

TEST(Text, AFullWidthCharacterTakesTwoColumnsAHalfWidthOneOne) {
  EXPECT_EQ(text::Columns("87秒"), 4u);
  EXPECT_EQ(text::Columns("ｸﾘｱﾎﾟｲﾝﾄ"), 8u) << "half-width katakana, U+FF61 to U+FF9F";
  EXPECT_EQ(text::Columns("｡ﾟ"), 2u) << "both ends of that block";
  EXPECT_EQ(text::Columns("１０／１６　～―"), 16u) << "full-width forms just outside it";
  EXPECT_EQ(text::Columns("●Ⅲ①"), 6u);
  EXPECT_EQ(text::Columns(""), 0u);
}

TEST(Text, FullWidthNumbersBecomeTheirAsciiTwinsAndNothingElseChanges) {
  EXPECT_EQ(text::HalfWidthNumber("－１２．５　＋０９"), "-12.5 +09");
  EXPECT_EQ(text::HalfWidthNumber("小３ｘ"), "小3ｘ") << "other full-width letters are kept";
  EXPECT_EQ(text::HalfWidthNumber("\xEF\xBC"), "\xEF\xBC") << "a cut-off character is kept, not read past";
  EXPECT_EQ(text::HalfWidthDigits("幼－　３"), "幼－　3") << "digits alone";
}

TEST(Text, LeadingNumberStopsAtTheFirstCharacterThatCannotContinueIt) {
  EXPECT_EQ(text::LeadingNumber("  42abc"), 42);
  EXPECT_EQ(text::LeadingNumber("09"), 9);
  EXPECT_EQ(text::LeadingNumber("-3.5e1x"), -35);
  EXPECT_EQ(text::LeadingNumber("1e"), 1);
  EXPECT_EQ(text::LeadingNumber(""), 0);
  EXPECT_EQ(text::LeadingNumber("   "), 0);
  EXPECT_EQ(text::LeadingNumber("abc"), 0);
  EXPECT_EQ(text::LeadingNumber("0    "), 0);
  EXPECT_EQ(text::LeadingNumber("1 2"), 1);
  EXPECT_TRUE(text::IsNumber(" 12.5 "));
  EXPECT_FALSE(text::IsNumber("12a"));
  EXPECT_FALSE(text::IsNumber(""));
  EXPECT_FALSE(text::IsNumber("."));
}

TEST(Text, NumberTextHasNoLeadingBlankAndNoFractionForWholeValues) {
  EXPECT_EQ(text::NumberText(12), "12");
  EXPECT_EQ(text::NumberText(-3), "-3");
  EXPECT_EQ(text::NumberText(1.5), "1.5");
}

}  // namespace
}  // namespace bardrill
