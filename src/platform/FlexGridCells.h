#pragma once
// The cell texts of the grid control (see FlexGrid.h).
//
// Cell texts live in one flat text buffer with a (offset, length) reference
// per cell, so a grid of 100,000 rows by 20 columns costs a few bytes per
// cell and no object per cell.

#include <QString>
#include <QStringView>
#include <cstddef>
#include <cstdint>
#include <vector>

// Cell texts of a rows x cols table, stored flat.
class FlexGridCells {
public:
    int rows() const { return rows_; }
    int cols() const { return cols_; }
    QString get(int r, int c) const;
    bool isEmpty(int r, int c) const { return refs_[index(r, c)].len == 0; }
    void set(int r, int c, QStringView text);
    void resize(int rows, int cols);  // keeps the texts of the cells that stay
    void insertRow(int at);           // an empty row before row `at` (at == rows: append)
    void removeRow(int at);
    void clear();                     // every text empty, size kept
    // Memory held by the texts and references, in bytes.
    std::size_t bytes() const;

private:
    struct Ref {
        std::uint32_t off = 0;
        std::uint32_t len = 0;
    };
    std::size_t index(int r, int c) const { return std::size_t(r) * std::size_t(cols_) + std::size_t(c); }
    void release(const Ref& ref) { garbage_ += ref.len; }
    void compact();

    int rows_ = 0;
    int cols_ = 0;
    std::vector<Ref> refs_;
    std::vector<char16_t> chars_;
    std::size_t garbage_ = 0;  // characters of chars_ no reference points to
};
