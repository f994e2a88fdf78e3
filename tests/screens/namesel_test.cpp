#include "screens/namesel.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "screens/frmver.h"
#include "screens/screen_fixture.h"
#include "screens/seisekitime1.h"

namespace bardrill::testing {
namespace {

using screens::namesel;

class NameSelection : public ScreenTest {
 protected:
  namesel* Open() {
    namesel* form = screens.Show<namesel>();
    DoEvents();
    return form;
  }
};

TEST_F(NameSelection, BecomesActiveWhenShownAndListsTodaysAndTotalPoints) {
  namesel* form = Open();
  EXPECT_GE(form->activationCount(), 1);
  EXPECT_EQ(form->displayChoice(), 1);
  EXPECT_TRUE(Control<QRadioButton>(form, "Option1(1)")->isChecked());
  auto* list = Control<QListWidget>(form, "List1");
  ASSERT_EQ(list->count(), 3);
  EXPECT_EQ(list->item(0)->text(), QStringLiteral("－－－－－－"));
}

}  // namespace
}  // namespace bardrill::testing
