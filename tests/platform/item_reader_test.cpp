#include "platform/item_reader.h"

#include <gtest/gtest.h>

#include "platform/errors.h"
#include "support/temp_dir.h"

namespace bardrill {
namespace {

std::vector<std::string> Texts(ItemReader& r) {
  std::vector<std::string> out;
  while (!r.AtEnd()) out.push_back(r.NextText());
  return out;
}

TEST(ItemReader, SplitsAtCommasAndLineEndsAndTrimsBlanks) {
  ItemReader r("t", " a , b\r\nc,\"d, with comma\" , 12 \n\n  \r\n e");
  EXPECT_EQ(Texts(r), (std::vector<std::string>{"a", "b", "c", "d, with comma", "12", "e"}));
}

TEST(ItemReader, KnowsNumbersAndQuotedTexts) {
  ItemReader r("t", "12, -3.5,\"7\",abc,,x1");
  Item a = r.Next(), b = r.Next(), c = r.Next(), d = r.Next(), e = r.Next(), f = r.Next();
  EXPECT_TRUE(a.IsNumber());
  EXPECT_EQ(a.Number(), 12);
  EXPECT_EQ(b.Number(), -3.5);
  EXPECT_FALSE(c.IsNumber());  // quoted: a text, even if it looks like a number
  EXPECT_EQ(c.text, "7");
  EXPECT_EQ(d.Number(), 0);  // a text read as a number is 0
  EXPECT_EQ(e.text, "");
  EXPECT_EQ(e.Number(), 0);
  EXPECT_EQ(f.text, "x1");
}

TEST(ItemReader, ATrailingCommaMakesOneMoreEmptyItemOnThatLine) {
  ItemReader r("t", "目標Time,最低Time,,,\r\n1,2\r\n");
  std::vector<Item> header = r.NextLine();
  ASSERT_EQ(header.size(), 5u);
  EXPECT_EQ(header[4].text, "");
  std::vector<Item> next = r.NextLine();
  ASSERT_EQ(next.size(), 2u);
  EXPECT_EQ(next[0].line, 2);
  EXPECT_TRUE(r.AtEnd());
}

TEST(ItemReader, LinesAreNumberedAndBlankLinesSkipped) {
  ItemReader r("t", "a,b\r\n\r\nc\r\n");
  r.NextLine();
  std::vector<Item> line = r.NextLine();
  ASSERT_EQ(line.size(), 1u);
  EXPECT_EQ(line[0].line, 3);
}

TEST(ItemReader, ReadingPastTheEndNamesTheFileAndLine) {
  ItemReader r("/data/共通データ.txt", "a,b\r\nc");
  r.Next();
  r.Next();
  r.Next();
  try {
    r.Next();
    FAIL() << "reading past the end must fail";
  } catch (const DataFileError& e) {
    EXPECT_EQ(e.file(), "/data/共通データ.txt");
    EXPECT_EQ(e.line(), 2);
    EXPECT_NE(std::string(e.what()).find("共通データ.txt"), std::string::npos);
  }
}

TEST(ItemReader, ReadsCp932FilesAndNamesAMissingOne) {
  testing::TempDir dir;
  testing::WriteCp932(dir / "名簿.txt", "1,\"山田 太郎\",①\r\n");
  ItemReader r = ItemReader::FromFile(dir / "名簿.txt");
  EXPECT_EQ(Texts(r), (std::vector<std::string>{"1", "山田 太郎", "①"}));
  try {
    ItemReader::FromFile(dir / "ない.txt");
    FAIL() << "a missing file must fail";
  } catch (const DataFileError& e) {
    EXPECT_NE(std::string(e.what()).find("ない.txt"), std::string::npos);
  }
}

}  // namespace
}  // namespace bardrill
