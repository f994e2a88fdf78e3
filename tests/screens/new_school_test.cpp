// The program on a school that bardrill-school laid out and filled from a class list, started as the
// program starts: the splash, the configuration, the name selection screen.
#include <QLabel>

#include "school/layout.h"
#include "school/roster_csv.h"
#include "screens/firstfrm.h"
#include "screens/line_list.h"
#include "screens/namesel.h"
#include "screens/screen_fixture.h"

namespace bardrill::testing {
namespace {

using NewSchool = ScreenTest;

TEST_F(NewSchool, TheProgramStartsOnASchoolThatInitLaidOutAndListsTheImportedChildren) {
  TempDir dir;
  const school::SchoolSettings settings{4, "01234", "さくら塾", "1234"};
  const std::string root = school::InitSchool(
      dir / "school", settings, {school::InstalledSources().sounds, std::nullopt}, fakes.clock.today);
  WriteBytes(dir / "class.csv", "番号,学年,名前\r\n1,小3,山田 太郎\r\n2,中1,佐藤 花子\r\n");
  school::ImportRoster(root, dir / "class.csv", fakes.clock.today);

  state = AppState();
  state.ExeFolder = school::ProgramFolderOf(root);
  screens::Firstfrm* splash = screens.Load<screens::Firstfrm>();
  Tick(splash->timer());
  DoEvents();
  ASSERT_TRUE(screens.IsLoaded<screens::namesel>())
      << (fakes.prompts.messages.empty() ? "" : fakes.prompts.messages[0].text);
  EXPECT_EQ(state.SchoolName, "さくら塾");
  EXPECT_EQ(state.CommonDataFolder, root + "共通" + paths::kSeparator);
  auto* list = Control<screens::LineList>(screens.Find<screens::namesel>(), "List1");
  QStringList lines;
  for (int i = 0; i < list->count(); ++i) lines << list->text(i);
  ASSERT_EQ(lines.size(), 4) << lines.join('\n').toStdString();  // the header, the teacher, two children
  EXPECT_TRUE(lines.join('\n').contains(QStringLiteral("中1 佐藤 花子")));
  EXPECT_TRUE(lines.join('\n').contains(QStringLiteral("小3 山田 太郎")));
  EXPECT_TRUE(lines.join('\n').contains(QStringLiteral("先生")));
  EXPECT_EQ(endCode, -1);
}

}  // namespace
}  // namespace bardrill::testing
