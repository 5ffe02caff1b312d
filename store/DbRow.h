#pragma once

#include <QList>
#include <QString>

#include <array>
#include <initializer_list>

// One row of ten text columns, as the database layer reads and writes them.
struct DbRow {
    static constexpr int kColumns = 10;
    std::array<QString, kColumns> columns;

    DbRow() = default;
    // The first values in column order; values beyond the tenth are dropped.
    DbRow(std::initializer_list<QString> values);

    QString& operator[](int i) { return columns[static_cast<size_t>(i)]; }
    const QString& operator[](int i) const { return columns[static_cast<size_t>(i)]; }

    // A column as a number: its leading decimal digits (with an optional sign), 0 when none.
    int Int(int i) const;
};

using DbRowList = QList<DbRow>;
