// The shared display pieces: what each shows for the plain values it is given, which parts hide, which
// colour a tone gives, when the primary action can be pressed, and that every symbol the screens name is
// bundled and drawn in its tint.
#include "BusyIndicator.h"
#include "LaunchMessageBadge.h"
#include "ModeSidebarRow.h"
#include "PrimaryActionButton.h"
#include "SectionCard.h"
#include "StatusMessageRow.h"
#include "StatusPill.h"
#include "Theme.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace quorvane::app;

Q_DECLARE_METATYPE(quorvane::app::Tone)

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

// Whether any pixel of the image is drawn (nearly) opaque in this colour.
bool drawnIn(const QImage &image, const QColor &color)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() > 250 && pixel.rgb() == color.rgb())
                return true;
        }
    }
    return false;
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
              "folder", "camera.fill"})
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
        QVERIFY(!Theme::hasSymbol(QStringLiteral("no.such.symbol")));
        QVERIFY(!Theme::hasSymbol(QString()));
        QVERIFY(Theme::pixmap(QStringLiteral("no.such.symbol"), Qt::red, 16).isNull());
        QVERIFY(Theme::icon(QStringLiteral("no.such.symbol"), Qt::red).isNull());
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

    void tonesAreDistinct()
    {
        const QList<QColor> colors{Theme::color(Tone::Neutral), Theme::color(Tone::Accent),
                                   Theme::color(Tone::Success), Theme::color(Tone::Warning),
                                   Theme::color(Tone::Danger)};
        for (qsizetype i = 0; i < colors.size(); ++i) {
            for (qsizetype j = i + 1; j < colors.size(); ++j)
                QVERIFY2(colors.at(i) != colors.at(j), "two tones share a colour");
        }
    }

    void statusPillShowsTextSymbolAndTone_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Tone>("tone");
        QTest::addColumn<QString>("symbol");
        QTest::newRow("ready") << QStringLiteral("Ready") << Tone::Success
                               << QStringLiteral("checkmark.circle.fill");
        QTest::newRow("runtime missing")
            << QStringLiteral("Runtime missing") << Tone::Danger << QStringLiteral("xmark.octagon.fill");
        QTest::newRow("reconnecting, no symbol")
            << QStringLiteral("Reconnecting (2/5)") << Tone::Warning << QString();
        QTest::newRow("idle") << QStringLiteral("Idle") << Tone::Neutral << QString();
    }

    void statusPillShowsTextSymbolAndTone()
    {
        QFETCH(QString, text);
        QFETCH(Tone, tone);
        QFETCH(QString, symbol);
        StatusPill pill;
        // Start from another state so every setter has something to change.
        pill.setTone(tone == Tone::Accent ? Tone::Danger : Tone::Accent);
        pill.setSymbol(QStringLiteral("wifi"));
        pill.show();

        pill.setText(text);
        pill.setTone(tone);
        pill.setSymbol(symbol);

        QCOMPARE(pill.text(), text);
        QCOMPARE(pill.findChild<QLabel *>(QStringLiteral("statusPillText"))->text(), text);
        QCOMPARE(pill.accessibleName(), text);
        QCOMPARE(pill.tone(), tone);
        QCOMPARE(textColor(&pill, "statusPillText"), Theme::color(tone));
        QCOMPARE(shown(&pill, "statusPillSymbol"), !symbol.isEmpty());
    }

    void launchMessageBadgeMarksSuccessAndFailure_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("failed");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<QString>("symbol");
        QTest::newRow("started") << QStringLiteral("Mirror session started.") << false << true
                                 << QStringLiteral("checkmark.circle.fill");
        QTest::newRow("failed") << QStringLiteral("Choose a device first.") << true << true
                                << QStringLiteral("exclamationmark.octagon.fill");
        QTest::newRow("no message") << QString() << false << false << QStringLiteral("checkmark.circle.fill");
    }

    void launchMessageBadgeMarksSuccessAndFailure()
    {
        QFETCH(QString, message);
        QFETCH(bool, failed);
        QFETCH(bool, visible);
        QFETCH(QString, symbol);
        QWidget window;
        auto *badge = new LaunchMessageBadge(&window);
        window.show();
        QVERIFY(!badge->isVisible());

        badge->setMessage(message, failed);

        QCOMPARE(badge->isVisible(), visible);
        QCOMPARE(badge->message(), message);
        QCOMPARE(badge->findChild<QLabel *>(QStringLiteral("launchMessageText"))->text(), message);
        QCOMPARE(badge->failed(), failed);
        QCOMPARE(badge->symbol(), symbol);
        QVERIFY(Theme::hasSymbol(badge->symbol()));
        QVERIFY(!badge->findChild<QLabel *>(QStringLiteral("launchMessageSymbol"))->pixmap().isNull());
    }

    void statusMessageRowShowsOnlyAMessage_data()
    {
        QTest::addColumn<std::optional<QString>>("message");
        QTest::addColumn<bool>("failed");
        QTest::addColumn<bool>("visible");
        QTest::newRow("connected") << std::optional<QString>(
                                          QStringLiteral("Connected to 192.168.1.20:5555."))
                                   << false << true;
        QTest::newRow("failure") << std::optional<QString>(QStringLiteral("Enter the 6-digit pairing code."))
                                 << true << true;
        QTest::newRow("none") << std::optional<QString>() << false << false;
        QTest::newRow("empty") << std::optional<QString>(QString()) << true << false;
    }

    void statusMessageRowShowsOnlyAMessage()
    {
        QFETCH(std::optional<QString>, message);
        QFETCH(bool, failed);
        QFETCH(bool, visible);
        QWidget window;
        auto *row = new StatusMessageRow(&window);
        row->setMessage(QStringLiteral("An earlier message."), !failed);
        window.show();

        row->setMessage(message, failed);

        QCOMPARE(row->isVisible(), visible);
        QCOMPARE(row->message(), message);
        QCOMPARE(row->findChild<QLabel *>(QStringLiteral("statusMessageText"))->text(),
                 message.value_or(QString()));
        QCOMPARE(row->failed(), failed);
        QCOMPARE(row->symbol(), failed ? QStringLiteral("exclamationmark.octagon.fill")
                                       : QStringLiteral("checkmark.circle.fill"));
        if (failed)
            QCOMPARE(textColor(row, "statusMessageText"), Theme::color(Tone::Danger));
        else
            QVERIFY(textColor(row, "statusMessageText") != Theme::color(Tone::Danger));
    }

    void primaryActionRunsOnlyWhenEnabledAndIdle_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<bool>("triggers");
        QTest::addColumn<bool>("hintShown");
        QTest::newRow("ready") << true << false << QStringLiteral("Choose a device in the sidebar first.")
                               << true << false;
        QTest::newRow("disabled with its hint")
            << false << false << QStringLiteral("Choose a device in the sidebar first.") << false << true;
        QTest::newRow("disabled without a hint") << false << false << QString() << false << false;
        QTest::newRow("busy") << true << true << QString() << false << false;
        QTest::newRow("busy and disabled")
            << false << true << QStringLiteral("The selected device is not ready.") << false << true;
    }

    void primaryActionRunsOnlyWhenEnabledAndIdle()
    {
        QFETCH(bool, enabled);
        QFETCH(bool, busy);
        QFETCH(QString, hint);
        QFETCH(bool, triggers);
        QFETCH(bool, hintShown);
        PrimaryActionButton action;
        action.setTitle(QStringLiteral("Start Mirror"));
        action.setSecondaryLabel(QStringLiteral("Start session"));
        action.setCaption(QStringLiteral("Starts the current session."));
        action.setSymbol(QStringLiteral("play.fill"));
        action.setDisabledHint(hint);
        action.setActionEnabled(enabled);
        action.setBusy(busy);
        action.show();
        QSignalSpy triggered(&action, &PrimaryActionButton::triggered);

        auto *button = action.findChild<QPushButton *>(QStringLiteral("primaryActionButton"));
        QTest::mouseClick(button, Qt::LeftButton);

        QCOMPARE(triggered.size(), triggers ? 1 : 0);
        QCOMPARE(button->isEnabled(), triggers);
        QCOMPARE(action.canTrigger(), triggers);
        QCOMPARE(button->text(), QStringLiteral("Start Mirror"));
        QCOMPARE(button->accessibleName(), QStringLiteral("Start session"));
        QVERIFY(!button->icon().isNull());
        QCOMPARE(shown(&action, "primaryActionBusy"), busy);
        QCOMPARE(shown(&action, "primaryActionHint"), hintShown);
        QCOMPARE(shown(&action, "primaryActionCaption"), !hintShown);
        QCOMPARE(action.findChild<QLabel *>(QStringLiteral("primaryActionCaption"))->text(),
                 QStringLiteral("Starts the current session."));
        if (hintShown)
            QCOMPARE(action.findChild<QLabel *>(QStringLiteral("primaryActionHint"))->text(), hint);
    }

    void primaryActionComesBackAfterBusy()
    {
        PrimaryActionButton action;
        action.show();
        QSignalSpy triggered(&action, &PrimaryActionButton::triggered);
        auto *button = action.findChild<QPushButton *>(QStringLiteral("primaryActionButton"));
        action.setBusy(true);
        QTest::mouseClick(button, Qt::LeftButton);
        action.setBusy(false);
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(triggered.size(), 1);
        QVERIFY(!action.findChild<BusyIndicator *>(QStringLiteral("primaryActionBusy"))->isRunning());
    }

    void modeRowShowsItsModeAndTheWarning()
    {
        QWidget sidebar;
        auto *mirror = new ModeSidebarRow(QStringLiteral("Mirror Phone"),
                                          QStringLiteral("Mirror and control the screen"),
                                          QStringLiteral("iphone.gen3"), QColor(0x00, 0x6e, 0xdb), &sidebar);
        auto *camera =
            new ModeSidebarRow(QStringLiteral("Camera Mode"), QStringLiteral("Stream the phone's camera"),
                               QStringLiteral("camera.aperture"), QColor(0xb2, 0x5c, 0x00), &sidebar);
        camera->move(0, 60);
        sidebar.show();

        QCOMPARE(camera->title(), QStringLiteral("Camera Mode"));
        QCOMPARE(camera->findChild<QLabel *>(QStringLiteral("modeSubtitle"))->text(),
                 QStringLiteral("Stream the phone's camera"));
        QCOMPARE(camera->symbol(), QStringLiteral("camera.aperture"));
        QCOMPARE(camera->accessibleName(), QStringLiteral("Camera Mode"));
        QVERIFY(!shown(camera, "modeWarning"));

        camera->setWarning(true);
        QVERIFY(camera->hasWarning());
        QVERIFY(shown(camera, "modeWarning"));
        QCOMPARE(camera->toolTip(), QStringLiteral("Not supported by this device"));
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

    void sectionCardHoldsItsControls()
    {
        SectionCard card(QStringLiteral("Smart Profile"), QStringLiteral("wand.and.stars"));
        auto *button = new QPushButton(QStringLiteral("Reset to Auto"));
        auto *content = new QLabel(QStringLiteral("Balanced"));
        card.addHeaderWidget(button);
        card.addWidget(content);
        card.show();

        QCOMPARE(card.title(), QStringLiteral("Smart Profile"));
        QCOMPARE(card.findChild<QLabel *>(QStringLiteral("sectionCardTitle"))->text(),
                 QStringLiteral("Smart Profile"));
        QCOMPARE(card.symbol(), QStringLiteral("wand.and.stars"));
        QCOMPARE(button->parentWidget(), &card);
        QCOMPARE(content->parentWidget(), &card);
        QVERIFY(content->isVisible());
        // The header sits above the content.
        QVERIFY(button->geometry().bottom() <= content->geometry().top() + 1);
        card.setTitle(QStringLiteral("Profiles"));
        QCOMPARE(card.accessibleName(), QStringLiteral("Profiles"));
    }
};

QTEST_MAIN(TestUiComponents)
#include "tst_ui_components.moc"
