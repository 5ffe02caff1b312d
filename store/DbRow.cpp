#include "store/DbRow.h"

DbRow::DbRow(std::initializer_list<QString> values) {
    size_t i = 0;
    for (const QString& value : values) {
        if (i == columns.size())
            break;
        columns[i++] = value;
    }
}

int DbRow::Int(int i) const {
    const QString& text = (*this)[i];
    qsizetype pos = 0;
    while (pos < text.size() && (text[pos] == QLatin1Char(' ') || text[pos] == QLatin1Char('\t')))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == QLatin1Char('-') || text[pos] == QLatin1Char('+'))) {
        negative = text[pos] == QLatin1Char('-');
        ++pos;
    }
    long long value = 0;
    for (; pos < text.size() && text[pos] >= QLatin1Char('0') && text[pos] <= QLatin1Char('9');
         ++pos) {
        value = value * 10 + (text[pos].unicode() - '0');
        if (value > 0x7fffffffLL)
            value = 0x80000000LL; // saturate rather than wrap
    }
    if (negative)
        value = -value;
    return static_cast<int>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}
