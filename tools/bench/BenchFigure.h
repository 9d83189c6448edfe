#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

namespace quorvane::bench {

// One measured figure: our samples, the raw tool's doing the same work in the same run (when there is
// one), and the goal they are held to.
struct BenchFigure
{
    enum class Goal {
        AtMost,       // the median of ours stays at or under limit
        OverRawAtMost // the median of ours exceeds the raw median by at most limit
    };

    BenchFigure(QString name, QString unit, Goal goal, double limit, QString note = {});

    QString name;
    QString unit;
    Goal goal;
    double limit;
    QString note;
    QList<double> ours;
    QList<double> raw;

    bool meets() const;
    QString goalText() const;
    QJsonObject toJson() const;
};

double median(QList<double> samples);

// The figures as one table for a terminal, one line each.
QString table(const QList<BenchFigure> &figures);

} // namespace quorvane::bench
