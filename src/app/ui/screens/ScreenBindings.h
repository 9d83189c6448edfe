#pragma once

#include "Theme.h"

#include <QComboBox>
#include <QList>
#include <QMetaProperty>
#include <QString>
#include <QVariant>

#include <functional>
#include <utility>

class QCheckBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QSpinBox;

namespace quorvane::app {

class SectionCard;

// Two-way bindings between a control and a Q_PROPERTY of the model or a settings object: the control
// shows the property, follows its change signal, and writes every user edit straight back.
namespace bind {

// Calls update now and whenever the property's change signal fires, for as long as context lives.
void watch(QObject *object, const char *property, QObject *context, std::function<void()> update);
QVariant read(const QObject *object, const char *property);
void write(QObject *object, const char *property, const QVariant &value);

QCheckBox *checkBox(const QString &label, const QString &objectName, QObject *object, const char *property,
                    QWidget *parent);
QLineEdit *lineEdit(const QString &objectName, const QString &placeholder, QObject *object,
                    const char *property, QWidget *parent);
// An unsigned whole-number property.
QSpinBox *spinBox(const QString &objectName, int minimum, int maximum, QObject *object, const char *property,
                  QWidget *parent);
// A floating-point property on a slider in steps of 1/scale; the label shows format(value).
QSlider *slider(const QString &objectName, double minimum, double maximum, int scale, QObject *object,
                const char *property, QLabel *valueLabel, std::function<QString(double)> format,
                QWidget *parent);
QLabel *label(const QString &text, const QString &objectName, QWidget *parent);
QLabel *note(const QString &text, const QString &objectName, QWidget *parent);
// A button with room around its label (and its icon, when given).
// A command button; with a symbol, that symbol tinted in the tone beside the text.
QPushButton *button(const QString &text, const QString &objectName, QWidget *parent,
                    const QString &symbol = {}, Tone tone = Tone::Accent);
// A form of labelled rows at the end of the card, spaced like every other form of the screens.
QFormLayout *formIn(SectionCard *card);

template<typename T>
using Options = QList<std::pair<QString, T>>;

// A picker over fixed values. A property value outside them shows no choice rather than a wrong one, or,
// when describeOther is given, an entry of its own at the end (a recommended size that is no preset), which
// goes again once a preset is chosen.
template<typename T>
QComboBox *comboBox(const QString &objectName, const Options<T> &options, QObject *object,
                    const char *property, QWidget *parent,
                    std::function<QString(const T &)> describeOther = {})
{
    auto *box = new QComboBox(parent);
    box->setObjectName(objectName);
    for (const auto &option : options)
        box->addItem(option.first);
    watch(object, property, box, [box, options, object, property, describeOther] {
        const T current = qvariant_cast<T>(read(object, property));
        int index = -1;
        for (int i = 0; i < options.size(); ++i) {
            if (options.at(i).second == current)
                index = i;
        }
        const QSignalBlocker blocker(box);
        while (box->count() > options.size())
            box->removeItem(box->count() - 1);
        if (index < 0 && describeOther) {
            box->addItem(describeOther(current));
            index = static_cast<int>(options.size());
        }
        box->setCurrentIndex(index);
    });
    // The extra entry is the value already set: choosing it changes nothing.
    QObject::connect(box, &QComboBox::activated, box, [options, object, property](int index) {
        if (index >= 0 && index < options.size())
            write(object, property, QVariant::fromValue(options.at(index).second));
    });
    return box;
}

} // namespace bind

} // namespace quorvane::app
