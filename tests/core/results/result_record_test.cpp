#include "core/results/result_record.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace bardrill {
namespace {

std::string Hex(const RecordBytes& bytes, size_t offset, size_t width) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (size_t i = offset; i < offset + width; ++i) {
    if (!out.empty()) out += ' ';
    out += digits[bytes[i] >> 4];
    out += digits[bytes[i] & 15];
  }
  return out;
}

std::string Text(const TextField& field) { return std::string(field.data(), field.size()); }

TEST(ResultRecordEncoding, FieldsSitAtTheirOffsetsLittleEndian) {
  ResultRecord r = MakeNewRecord(38114, 0.75, 258, 3, 99999, "12345");
  RecordBytes b = r.Encode();
  EXPECT_EQ(Hex(b, 0, 8), "00 00 00 00 40 9c e2 40");  // 38114.0
  EXPECT_EQ(Hex(b, 8, 8), "00 00 00 00 00 00 e8 3f");  // 0.75
  EXPECT_EQ(Hex(b, 16, 2), "02 01");
  EXPECT_EQ(Hex(b, 18, 2), "03 00");
  EXPECT_EQ(Hex(b, 20, 4), "9f 86 01 00");
  EXPECT_EQ(std::string(b.begin() + 24, b.begin() + 29), "12345");
  EXPECT_EQ(std::string(b.begin() + 29, b.begin() + 34), "     ");
  EXPECT_EQ(std::string(b.begin() + 34, b.begin() + 39), "0    ");
  EXPECT_EQ(Hex(b, 39, 5), "00 00 00 00 00");
}

TEST(ResultRecordEncoding, FreshRecordTextFields) {
  ResultRecord none = MakeNewRecord(38114, 0.5, 1, 1, 60, "");
  EXPECT_EQ(Text(none.schoolCode), "     ");
  EXPECT_EQ(Text(none.reserved1), "     ");
  EXPECT_EQ(Text(none.points), "0    ");
  EXPECT_EQ(none.reserved2, (TextField{0, 0, 0, 0, 0}));

  EXPECT_EQ(Text(MakeNewRecord(0, 0, 1, 1, 60, "123").schoolCode), "123  ");
  EXPECT_EQ(Text(MakeNewRecord(0, 0, 1, 1, 60, "1234567").schoolCode), "12345");
  // Stored in CP932: two double-byte characters and one blank.
  TextField kanji = MakeNewRecord(0, 0, 1, 1, 60, "東京").schoolCode;
  EXPECT_EQ(Text(kanji), "\x93\x8c\x8b\x9e ");
  EXPECT_EQ(FieldText(kanji), "東京 ");
}

TEST(ResultRecordValidity, NeedsStudentLevelAndDateNotNegative) {
  ResultRecord r = MakeNewRecord(38114, 0.5, 7, 1, 60, "");
  EXPECT_TRUE(r.IsValid());
  ResultRecord atEpoch = r;
  atEpoch.date = 0;
  EXPECT_TRUE(atEpoch.IsValid());

  ResultRecord noStudent = r;
  noStudent.Bangou = 0;
  EXPECT_FALSE(noStudent.IsValid());
  ResultRecord levelZero = r;
  levelZero.level = 0;
  EXPECT_FALSE(levelZero.IsValid());
  ResultRecord levelNegative = r;
  levelNegative.level = -1;
  EXPECT_FALSE(levelNegative.IsValid());
  ResultRecord before1899 = r;
  before1899.date = -0.5;
  EXPECT_FALSE(before1899.IsValid());
  // What a read past the end of the file yields.
  EXPECT_FALSE(ResultRecord::Decode(RecordBytes{}).IsValid());
}

TEST(ResultRecordRoundTrip, DecodeOfEncodeGivesTheRecordBack) {
  ResultRecord r;
  r.date = 45000;
  r.time = 0.999988;
  r.Bangou = 5000;
  r.level = 35;
  r.seconds = 123456;
  r.schoolCode = MakeTextField("98765");
  r.reserved1 = TextField{'a', 'b', 'c', 'd', 'e'};
  r.points = MakeTextField("12");
  r.reserved2 = TextField{1, 2, 3, 4, 5};
  EXPECT_EQ(ResultRecord::Decode(r.Encode()), r);
}

TEST(ResultRecordRoundTrip, EveryByteSurvivesDecodeAndEncode) {
  // A teacher's rewrite writes back whatever it read, including fields this program never fills and
  // numbers that are not numbers (NaN dates).
  std::mt19937 random(7);
  for (int trial = 0; trial < 200; ++trial) {
    RecordBytes bytes;
    for (auto& b : bytes) b = static_cast<unsigned char>(random());
    ASSERT_EQ(ResultRecord::Decode(bytes).Encode(), bytes) << "trial " << trial;
  }
}

}  // namespace
}  // namespace bardrill
