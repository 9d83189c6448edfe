#include "ScreenBindings.h"

#include "SectionCard.h"
#include "Theme.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMetaMethod>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>

#include <cmath>

namespace quorvane::app::bind {

namespace {

// The receiving end of a change signal found by its property name at run time.
class PropertyWatcher final : public QObject
{
    Q_OBJECT

public:
    PropertyWatcher(std::function<void()> update, QObject *parent)
        : QObject(parent)
        , m_update(std::move(update))
    {
    }

public slots:
    void changed() { m_update(); }

private:
    std::function<void()> m_update;
};

QMetaProperty metaProperty(const QObject *object, const char *property)
{
    const QMetaObject *meta = object->metaObject();
    const int index = meta->indexOfProperty(property);
    Q_ASSERT_X(index >= 0, "bind", property);
    return meta->property(index);
}

} // namespace

void watch(QObject *object, const char *property, QObject *context, std::function<void()> update)
{
    auto *watcher = new PropertyWatcher(std::move(update), context);
    const QMetaProperty meta = metaProperty(object, property);
    const QMetaMethod slot = watcher->metaObject()->method(watcher->metaObject()->indexOfSlot("changed()"));
    QObject::connect(object, meta.notifySignal(), watcher, slot);
    watcher->changed();
}

QVariant read(const QObject *object, const char *property)
{
    return metaProperty(object, property).read(object);
}

void write(QObject *object, const char *property, const QVariant &value)
{
    metaProperty(object, property).write(object, value);
}

QCheckBox *checkBox(const QString &label, const QString &objectName, QObject *object, const char *property,
                    QWidget *parent)
{
    auto *box = new QCheckBox(label, parent);
    box->setObjectName(objectName);
    watch(object, property, box, [box, object, property] {
        const QSignalBlocker blocker(box);
        box->setChecked(read(object, property).toBool());
    });
    QObject::connect(box, &QCheckBox::toggled, box,
                     [object, property](bool checked) { write(object, property, checked); });
    return box;
}

QLineEdit *lineEdit(const QString &objectName, const QString &placeholder, QObject *object,
                    const char *property, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(objectName);
    edit->setPlaceholderText(placeholder);
    watch(object, property, edit, [edit, object, property] {
        const QString value = read(object, property).toString();
        if (edit->text() != value) {
            const QSignalBlocker blocker(edit);
            edit->setText(value);
        }
    });
    QObject::connect(edit, &QLineEdit::textEdited, edit,
                     [object, property](const QString &text) { write(object, property, text); });
    return edit;
}

QSpinBox *spinBox(const QString &objectName, int minimum, int maximum, QObject *object, const char *property,
                  QWidget *parent)
{
    auto *box = new QSpinBox(parent);
    box->setObjectName(objectName);
    box->setRange(minimum, maximum);
    watch(object, property, box, [box, object, property] {
        const QSignalBlocker blocker(box);
        box->setValue(static_cast<int>(read(object, property).toUInt()));
    });
    QObject::connect(box, &QSpinBox::valueChanged, box, [object, property](int value) {
        write(object, property, QVariant::fromValue(static_cast<quint32>(value)));
    });
    return box;
}

QSlider *slider(const QString &objectName, double minimum, double maximum, int scale, QObject *object,
                const char *property, QLabel *valueLabel, std::function<QString(double)> format,
                QWidget *parent)
{
    auto *control = new QSlider(Qt::Horizontal, parent);
    control->setObjectName(objectName);
    control->setRange(static_cast<int>(std::lround(minimum * scale)),
                      static_cast<int>(std::lround(maximum * scale)));
    watch(object, property, control, [control, valueLabel, format, scale, object, property] {
        const double value = read(object, property).toDouble();
        const QSignalBlocker blocker(control);
        control->setValue(static_cast<int>(std::lround(value * scale)));
        valueLabel->setText(format(value));
    });
    QObject::connect(control, &QSlider::valueChanged, control, [scale, object, property](int value) {
        write(object, property, static_cast<double>(value) / scale);
    });
    return control;
}

QLabel *label(const QString &text, const QString &objectName, QWidget *parent)
{
    auto *result = new QLabel(text, parent);
    result->setObjectName(objectName);
    result->setWordWrap(true);
    return result;
}

QLabel *note(const QString &text, const QString &objectName, QWidget *parent)
{
    QLabel *result = label(text, objectName, parent);
    result->setFont(Theme::captionFont());
    Theme::setTextTone(result, Tone::Neutral);
    return result;
}

QPushButton *button(const QString &text, const QString &objectName, QWidget *parent, const QString &symbol,
                    Tone tone)
{
    auto *result = new QPushButton(text, parent);
    result->setObjectName(objectName);
    if (!symbol.isEmpty())
        Theme::setIcon(result, symbol, tone);
    // The style's own size leaves a long label no air: its last letters ran into the frame.
    result->setMinimumWidth(result->sizeHint().width() + 2 * Theme::spacingS);
    return result;
}

QFormLayout *formIn(SectionCard *card)
{
    auto *form = new QFormLayout;
    form->setSpacing(Theme::spacingS);
    card->contentLayout()->addLayout(form);
    return form;
}

} // namespace quorvane::app::bind

#include "ScreenBindings.moc"
