#pragma once

#include <QByteArray>
#include <QMetaMethod>
#include <QObject>

namespace quorvane::app {

// The common ground of the per-mode settings objects the screens edit: every field has its own change
// signal, and changed() follows any of them so the model can re-derive what depends on the whole record.
class ModeSettings : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ModeSettings)

public:
    using QObject::QObject;

    // While one is alive, what is assigned comes from the application (a recommendation, a probe, a
    // reset) rather than from the user, so it is not taken for the user's own choice.
    class AutomaticFill
    {
    public:
        explicit AutomaticFill(ModeSettings *settings);
        ~AutomaticFill();
        AutomaticFill(const AutomaticFill &) = delete;
        AutomaticFill &operator=(const AutomaticFill &) = delete;

    private:
        ModeSettings *m_settings;
    };

signals:
    void changed();
    // A field was given a value, whether or not it differed; byUser is false inside an AutomaticFill.
    void fieldAssigned(const QByteArray &property, bool byUser);
    // The outermost AutomaticFill is over.
    void automaticFillEnded();

protected:
    template<typename Object, typename T>
    void assign(T &field, T value, void (Object::*fieldChanged)())
    {
        if (!(field == value)) {
            field = std::move(value);
            emit(static_cast<Object *>(this)->*fieldChanged)();
            emit changed();
        }
        emit fieldAssigned(propertyNotifiedBy(QMetaMethod::fromSignal(fieldChanged)), m_automaticFills == 0);
    }

private:
    QByteArray propertyNotifiedBy(const QMetaMethod &signal) const;

    int m_automaticFills = 0;
};

} // namespace quorvane::app
