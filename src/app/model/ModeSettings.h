#pragma once

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

signals:
    void changed();

protected:
    template<typename Object, typename T>
    void assign(T &field, T value, void (Object::*fieldChanged)())
    {
        if (field == value)
            return;
        field = std::move(value);
        emit(static_cast<Object *>(this)->*fieldChanged)();
        emit changed();
    }
};

} // namespace quorvane::app
