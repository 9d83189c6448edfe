#include "BenchFigure.h"

#include <QJsonArray>

#include <algorithm>

namespace quorvane::bench {

namespace {

QString number(double value)
{
    return QString::number(value, 'f', value >= 100 ? 0 : value >= 10 ? 1 : 2);
}

QString spread(const QList<double> &samples)
{
    if (samples.isEmpty())
        return QStringLiteral("-");
    const auto [low, high] = std::minmax_element(samples.cbegin(), samples.cend());
    return number(*low) + QStringLiteral("–") + number(*high);
}

QJsonObject summary(const QList<double> &samples)
{
    const auto [low, high] = std::minmax_element(samples.cbegin(), samples.cend());
    return QJsonObject{{QStringLiteral("median"), median(samples)},
                       {QStringLiteral("min"), *low},
                       {QStringLiteral("max"), *high},
                       {QStringLiteral("samples"),
                        QJsonArray::fromVariantList(QVariantList(samples.cbegin(), samples.cend()))}};
}

} // namespace

BenchFigure::BenchFigure(QString name, QString unit, Goal goal, double limit, QString note)
    : name(std::move(name))
    , unit(std::move(unit))
    , goal(goal)
    , limit(limit)
    , note(std::move(note))
{
}

double median(QList<double> samples)
{
    if (samples.isEmpty())
        return 0;
    std::sort(samples.begin(), samples.end());
    const qsizetype middle = samples.size() / 2;
    return samples.size() % 2 ? samples.at(middle) : (samples.at(middle - 1) + samples.at(middle)) / 2;
}

bool BenchFigure::meets() const
{
    const double ourMedian = median(ours);
    return goal == Goal::AtMost ? ourMedian <= limit : ourMedian - median(raw) <= limit;
}

QString BenchFigure::goalText() const
{
    return (goal == Goal::AtMost ? QStringLiteral("≤ ") : QStringLiteral("≤ raw + ")) + number(limit) +
           QLatin1Char(' ') + unit;
}

QJsonObject BenchFigure::toJson() const
{
    QJsonObject object{{QStringLiteral("name"), name},          {QStringLiteral("unit"), unit},
                       {QStringLiteral("ours"), summary(ours)}, {QStringLiteral("goal"), goalText()},
                       {QStringLiteral("limit"), limit},        {QStringLiteral("meets"), meets()}};
    if (!raw.isEmpty()) {
        object.insert(QStringLiteral("raw"), summary(raw));
        object.insert(QStringLiteral("margin"), median(ours) - median(raw));
        if (median(raw) > 0)
            object.insert(QStringLiteral("ratio"), median(ours) / median(raw));
    }
    if (!note.isEmpty())
        object.insert(QStringLiteral("note"), note);
    return object;
}

QString table(const QList<BenchFigure> &figures)
{
    const QStringList header{QStringLiteral("figure"),  QStringLiteral("median"),
                             QStringLiteral("min–max"), QStringLiteral("raw median"),
                             QStringLiteral("goal"),    QStringLiteral("margin (ratio)"),
                             QStringLiteral("")};
    QList<QStringList> rows{header};
    for (const BenchFigure &figure : figures) {
        const bool hasRaw = !figure.raw.isEmpty();
        const double rawMedian = median(figure.raw);
        const QString margin =
            hasRaw ? QStringLiteral("%1%2 (%3×)")
                         .arg(median(figure.ours) >= rawMedian ? QStringLiteral("+") : QString(),
                              number(median(figure.ours) - rawMedian),
                              rawMedian > 0 ? number(median(figure.ours) / rawMedian) : QStringLiteral("-"))
                   : QStringLiteral("-");
        rows.append({figure.name, number(median(figure.ours)) + QLatin1Char(' ') + figure.unit,
                     spread(figure.ours), hasRaw ? number(rawMedian) : QStringLiteral("-"), figure.goalText(),
                     margin, figure.meets() ? QStringLiteral("met") : QStringLiteral("OVER")});
    }
    QList<qsizetype> widths(header.size(), 0);
    for (const QStringList &row : std::as_const(rows))
        for (qsizetype column = 0; column < row.size(); ++column)
            widths[column] = std::max(widths[column], row.at(column).size());
    QString text;
    for (const QStringList &row : std::as_const(rows)) {
        for (qsizetype column = 0; column < row.size(); ++column)
            text += row.at(column).leftJustified(widths[column] + 2);
        text = text.trimmed() + QLatin1Char('\n');
    }
    return text;
}

} // namespace quorvane::bench
