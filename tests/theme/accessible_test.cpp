#include "common/urlcatcher.h"
#include "theme/access.h"
#include "theme/badge.h"
#include "theme/buttons.h"
#include "theme/knob.h"
#include "theme/panel.h"
#include "theme/segment.h"
#include "theme/text.h"
#include "theme_support.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleValueInterface>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QAccessibleInterface* a11y(QWidget* widget)
{
    return QAccessible::queryAccessibleInterface(widget);
}

void act(QAccessibleInterface* iface, const QString& action)
{
    ASSERT_NE(iface->actionInterface(), nullptr);
    ASSERT_TRUE(iface->actionInterface()->actionNames().contains(action));
    iface->actionInterface()->doAction(action);
}

}  // namespace

// Each kind of control of the kit, as a screen reader meets it: the name a
// person would say (never a symbol's), the value in words, the state and the
// actions that work it. Each control's role is the control kit's test.
TEST(KitAccessibility, EachControlHasItsRoleNameValueStateAndActions)
{
    themetest::SharedState keep;

    // A button that gets its text after its symbol is named by the text.
    MWChromeButton exportAll;
    exportAll.setSymbol("square.and.arrow.up.on.square");
    exportAll.setToolTip("Export every clip (Ctrl+E)");
    exportAll.setText("Export All (3)");
    EXPECT_EQ(a11y(&exportAll)->text(QAccessible::Name), "Export All (3)");
    EXPECT_EQ(a11y(&exportAll)->text(QAccessible::Description), "Export every clip (Ctrl+E)");
    MWChromeButton bare;
    bare.setSymbol("plus");
    EXPECT_NE(a11y(&bare)->text(QAccessible::Name), "plus");

    // An orb without help is not named by its symbol (the header's test reads
    // an orb's help as its name and description).
    MWOrbButton silent("play.fill", 42);
    EXPECT_EQ(a11y(&silent)->text(QAccessible::Name), "");

    // A panel is a group under the name its view gives, unnamed otherwise.
    MWPanel panel;
    EXPECT_EQ(a11y(&panel)->text(QAccessible::Name), "");
    panel.setAccessibleName("Media bin");
    EXPECT_EQ(a11y(&panel)->text(QAccessible::Name), "Media bin");
    MWWell well;
    EXPECT_EQ(a11y(&well)->text(QAccessible::Name), "");

    // A segment is a group of radio buttons, the selection checked, each pressable.
    MWSegment quality;
    quality.setAccessibleName("Output quality");
    quality.setItems<int>({{1080, "1080p"}, {720, "720p"}});
    quality.select(720);
    QAccessibleInterface* group = a11y(&quality);
    EXPECT_EQ(group->text(QAccessible::Description), "720p");
    ASSERT_EQ(group->childCount(), 2);
    QAccessibleInterface* p1080 = group->child(0);
    QAccessibleInterface* p720 = group->child(1);
    EXPECT_EQ(group->child(1), p720);  // the same interface every time
    EXPECT_EQ(group->indexOfChild(p720), 1);
    EXPECT_EQ(p720->parent(), group);
    EXPECT_EQ(p720->role(), QAccessible::RadioButton);
    EXPECT_EQ(p720->text(QAccessible::Name), "720p");
    EXPECT_TRUE(p720->state().checked);
    EXPECT_FALSE(p1080->state().checked);
    QSignalSpy chosen(&quality, &MWSegment::activated);
    act(p1080, QAccessibleActionInterface::pressAction());
    EXPECT_EQ(quality.selectionAs<int>(), 1080);
    EXPECT_EQ(chosen.count(), 1);  // as a click: the view writes its store
    EXPECT_TRUE(p1080->state().checked);
    EXPECT_FALSE(p720->state().checked);

    // The knob is a dial with its value in words, kept in its range (its name
    // and a value set through it are the inspector's test).
    MWKnob knob("Zoom", 1, 3, 70);
    knob.setFormat([](double v) { return QString::asprintf("%.2f×", v); });
    knob.setValue(1.5);
    QAccessibleInterface* dial = a11y(&knob);
    EXPECT_EQ(dial->text(QAccessible::Value), "1.50×");
    ASSERT_NE(dial->valueInterface(), nullptr);
    dial->valueInterface()->setCurrentValue(7.0);
    EXPECT_DOUBLE_EQ(knob.value(), 3.0);
    act(dial, QAccessibleActionInterface::decreaseAction());
    EXPECT_DOUBLE_EQ(knob.value(), 2.98);

    // The switch is a check box whose toggle is a click: the viewer's test
    // toggles Safe zones through it. The LCD reads its time, followed by the
    // header's test; the two-part title reads as words.
    MWChromeTitle title("Cutwright", "Pro");
    EXPECT_EQ(a11y(&title)->text(QAccessible::Name), "Cutwright Pro");

    // The maker's credit is a link a reader can follow, as a click does.
    testutil::UrlCatcher catcher;
    MWSOCredit credit;
    credit.resize(credit.sizeHint());
    act(a11y(&credit), QAccessibleActionInterface::pressAction());
    QTest::mouseClick(&credit, Qt::LeftButton, {}, credit.rect().center());
    EXPECT_EQ(catcher.opened, QList<QUrl>(2, QUrl(QLatin1String(kMarrowickSite))));

    // A plain row given a role keeps it, even when Qt made its interface first.
    QWidget status;
    ASSERT_NE(a11y(&status), nullptr);
    mwSetAccessibleRole(&status, QAccessible::StatusBar);
    status.setAccessibleName("Status");
    EXPECT_EQ(a11y(&status)->role(), QAccessible::StatusBar);
    EXPECT_EQ(a11y(&status)->text(QAccessible::Name), "Status");
}
