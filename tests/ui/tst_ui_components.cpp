// The shared display pieces: what each shows for the plain values it is given, which parts hide, which
// colour a tone gives, when the primary action can be pressed, and that every symbol the screens name is
// bundled and drawn in its tint.
#include "BusyIndicator.h"
#include "ElidedText.h"
#include "LaunchMessageBadge.h"
#include "ModeSidebarRow.h"
#include "PrimaryActionButton.h"
#include "StatusMessageRow.h"
#include "StatusPill.h"
#include "Theme.h"
#include "WidgetLookup.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

using namespace quorvane::app;
using namespace Qt::StringLiterals;
using quorvane::test::drawnIn;

Q_DECLARE_METATYPE(quorvane::app::Tone)
Q_DECLARE_METATYPE(quorvane::app::MessageTone)

namespace {

QColor textColor(const QWidget *parent, const char *labelName)
{
    const auto *label = parent->findChild<QLabel *>(QLatin1String(labelName));
    return label ? label->palette().color(QPalette::WindowText) : QColor();
}

bool shown(const QWidget *parent, const char *childName)
{
    const auto *child = parent->findChild<QWidget *>(QLatin1String(childName));
    return child && child->isVisible();
}

} // namespace

class TestUiComponents final : public QObject
{
    Q_OBJECT

private slots:
    void everySymbolTheScreensNameIsBundled_data()
    {
        QTest::addColumn<QString>("symbol");
        for (const char *symbol :
             {"iphone.gen3", "camera.aperture", "macwindow.on.rectangle", "antenna.radiowaves.left.and.right",
              "stethoscope", "checkmark.circle.fill", "exclamationmark.octagon.fill",
              "exclamationmark.triangle.fill", "xmark.octagon.fill", "info.circle.fill", "wifi",
              "cable.connector", "terminal", "gearshape", "arrow.clockwise", "play.fill", "stop.fill",
              "folder", "camera.fill", "arrow.up.doc"})
            QTest::newRow(symbol) << QString::fromLatin1(symbol);
    }

    void everySymbolTheScreensNameIsBundled()
    {
        QFETCH(QString, symbol);
        QVERIFY(Theme::hasSymbol(symbol));
        const QColor tint(0x12, 0x80, 0xe0);
        const QPixmap image = Theme::pixmap(symbol, tint, 32);
        QCOMPARE(image.size(), QSize(32, 32));
        QVERIFY2(drawnIn(image.toImage(), tint), "the symbol is not drawn in its tint");
        QVERIFY(!Theme::icon(symbol, tint).isNull());
    }

    void unknownSymbolsDrawNothing()
    {
        QVERIFY(!Theme::hasSymbol(u"no.such.symbol"_s));
        QVERIFY(Theme::pixmap(u"no.such.symbol"_s, Qt::red, 16).isNull());
        QVERIFY(Theme::icon(u"no.such.symbol"_s, Qt::red).isNull());
    }

    void theSymbolsLicenceTravelsWithThem()
    {
        const QString license = Theme::symbolLicense();
        QVERIFY(license.contains(QLatin1String("The Bootstrap Authors")));
        QVERIFY(license.contains(QLatin1String("Permission is hereby granted, free of charge")));
    }

    void theApplicationIconIsDrawn()
    {
        // The icon's own background colour, so an empty or stand-in picture does not pass.
        QVERIFY2(drawnIn(Theme::applicationIcon().pixmap(QSize(64, 64)).toImage(), QColor(0x1d, 0x5f, 0x6b)),
                 "the application icon is not drawn");
    }

    void statusPillShowsTextSymbolAndTone_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Tone>("tone");
        QTest::addColumn<QString>("symbol");
        QTest::newRow("runtime missing") << u"Runtime missing"_s << Tone::Danger << u"xmark.octagon.fill"_s;
        QTest::newRow("reconnecting, no symbol") << u"Reconnecting (2/5)"_s << Tone::Warning << QString();
    }

    void statusPillShowsTextSymbolAndTone()
    {
        QFETCH(QString, text);
        QFETCH(Tone, tone);
        QFETCH(QString, symbol);
        StatusPill pill;
        // Start from another state so every setter has something to change.
        pill.setTone(tone == Tone::Accent ? Tone::Danger : Tone::Accent);
        pill.setSymbol(u"wifi"_s);
        pill.show();

        pill.setText(text);
        pill.setTone(tone);
        pill.setSymbol(symbol);

        QCOMPARE(pill.findChild<QLabel *>(u"statusPillText"_s)->text(), text);
        QCOMPARE(pill.accessibleName(), text);
        QCOMPARE(textColor(&pill, "statusPillText"), Theme::color(tone));
        QCOMPARE(shown(&pill, "statusPillSymbol"), !symbol.isEmpty());
    }

    // Both status displays draw a message as its tone says: the symbol in the tone's colour, and a failure's
    // words in the danger colour.
    void statusMessagesAreDrawnInTheirTone_data()
    {
        QTest::addColumn<MessageTone>("tone");
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<Tone>("look");
        QTest::newRow("in progress") << MessageTone::Progress << u"hourglass"_s << Tone::Neutral;
        QTest::newRow("failed") << MessageTone::Failure << u"exclamationmark.octagon.fill"_s << Tone::Danger;
    }

    void statusMessagesAreDrawnInTheirTone()
    {
        QFETCH(MessageTone, tone);
        QFETCH(QString, symbol);
        QFETCH(Tone, look);
        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        auto *badge = new LaunchMessageBadge(&window);
        auto *row = new StatusMessageRow(&window);
        layout->addWidget(badge);
        layout->addWidget(row);
        window.show();
        const QString message = u"adb: unknown command pair"_s;
        badge->setMessage(message, tone);
        row->setMessage(message, tone);
        QVERIFY(badge->isVisible() && row->isVisible());
        QCOMPARE(badge->symbol(), symbol);
        QCOMPARE(row->symbol(), symbol);
        QVERIFY(drawnIn(badge->grab().toImage(), Theme::color(look)));
        QVERIFY(drawnIn(row->grab().toImage(), Theme::color(look)));
        const QColor words = row->findChild<ElidedText *>()->palette().color(QPalette::WindowText);
        QCOMPARE(words == Theme::color(Tone::Danger), tone == MessageTone::Failure);

        badge->setMessage(QString(), tone);
        row->setMessage(std::nullopt, tone);
        QVERIFY(!badge->isVisible() && !row->isVisible());
    }

    // A long message takes two lines at most, ends in an ellipsis, and keeps every word in the tooltip; a
    // row that reserves its place moves nothing below it when a message comes or goes.
    void longMessagesElideAndReservedRowsHoldStill()
    {
        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        auto *row = new StatusMessageRow(&window, StatusMessageRow::Space::Reserve);
        auto *below = new QLabel(u"Next card"_s, &window);
        layout->addWidget(row);
        layout->addWidget(below);
        layout->addStretch(1);
        window.resize(360, 300);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const int top = below->y();
        const QString path = u"Screenshot saved to /home/someone/Videos/Quorvane/Screenshots/"_s +
                             QString(40, u'x') + u"/Pixel 8 2026-12-07 at 13.01.02.png"_s;
        row->setMessage(path, MessageTone::Success);
        QCoreApplication::processEvents();
        auto *text = row->findChild<ElidedText *>();
        const QStringList lines = text->shownLines();
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines.last().endsWith(QChar(0x2026)), qPrintable(lines.last()));
        QCOMPARE(text->toolTip(), path);
        QVERIFY(text->height() <= text->fullHeight());
        QCOMPARE(below->y(), top);
        row->setMessage(std::nullopt, MessageTone::Success);
        QCoreApplication::processEvents();
        QCOMPARE(below->y(), top);
    }

    void primaryActionRunsOnlyWhenEnabledAndIdle_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<bool>("triggers");
        QTest::addColumn<bool>("hintShown");
        QTest::newRow("ready") << true << false << u"Choose a device in the sidebar first."_s << true
                               << false;
        QTest::newRow("disabled with its hint")
            << false << false << u"Choose a device in the sidebar first."_s << false << true;
        QTest::newRow("disabled without a hint") << false << false << QString() << false << false;
        QTest::newRow("busy") << true << true << QString() << false << false;
    }

    void primaryActionRunsOnlyWhenEnabledAndIdle()
    {
        QFETCH(bool, enabled);
        QFETCH(bool, busy);
        QFETCH(QString, hint);
        QFETCH(bool, triggers);
        QFETCH(bool, hintShown);
        PrimaryActionButton action;
        action.setTitle(u"Start & Record"_s);
        action.setSecondaryLabel(u"Start session"_s);
        action.setCaption(u"Starts the current session."_s);
        action.setSymbol(u"play.fill"_s);
        action.setDisabledHint(hint);
        action.setActionEnabled(enabled);
        action.setBusy(busy);
        action.show();
        QSignalSpy triggered(&action, &PrimaryActionButton::triggered);

        auto *button = action.findChild<QPushButton *>(u"primaryActionButton"_s);
        QTest::mouseClick(button, Qt::LeftButton);

        QCOMPARE(triggered.size(), triggers ? 1 : 0);
        QCOMPARE(button->isEnabled(), triggers);
        QCOMPARE(action.canTrigger(), triggers);
        QCOMPARE(button->text(), u"Start && Record"_s);
        QCOMPARE(button->accessibleName(), u"Start session"_s);
        QVERIFY(!button->icon().isNull());
        QCOMPARE(shown(&action, "primaryActionBusy"), busy);
        QCOMPARE(shown(&action, "primaryActionHint"), hintShown);
        QCOMPARE(shown(&action, "primaryActionCaption"), !hintShown);
        if (hintShown)
            QCOMPARE(action.disabledHint(), hint);

        // Once idle and enabled it acts again, with no busy indicator left running.
        action.setBusy(false);
        action.setActionEnabled(true);
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(triggered.size(), triggers ? 2 : 1);
        QVERIFY(!action.findChild<BusyIndicator *>(u"primaryActionBusy"_s)->isRunning());
    }

    void modeRowShowsItsModeAndTheWarning()
    {
        QWidget sidebar;
        auto *mirror = new ModeSidebarRow(u"Mirror Phone"_s, u"Mirror and control the screen"_s,
                                          u"iphone.gen3"_s, QColor(0x00, 0x6e, 0xdb), &sidebar);
        auto *camera = new ModeSidebarRow(u"Camera Mode"_s, u"Stream the phone's camera"_s,
                                          u"camera.aperture"_s, QColor(0xb2, 0x5c, 0x00), &sidebar);
        camera->move(0, 60);
        sidebar.show();

        QCOMPARE(camera->accessibleName(), u"Camera Mode"_s);
        QVERIFY(!shown(camera, "modeWarning"));

        camera->setWarning(true);
        QVERIFY(shown(camera, "modeWarning"));
        QCOMPARE(camera->toolTip(), u"Not supported by this device"_s);
        camera->setWarning(false);
        QVERIFY(!shown(camera, "modeWarning"));
        QCOMPARE(camera->toolTip(), QString());

        // Selecting one mode deselects the other, as in a sidebar.
        QTest::mouseClick(mirror, Qt::LeftButton);
        QVERIFY(mirror->isChecked());
        QTest::mouseClick(camera, Qt::LeftButton);
        QVERIFY(camera->isChecked());
        QVERIFY(!mirror->isChecked());
        QVERIFY(camera->sizeHint().height() >= Theme::badgeSize);
    }
};

QTEST_MAIN(TestUiComponents)
#include "tst_ui_components.moc"
