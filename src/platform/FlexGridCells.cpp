// The cell texts of the grid control, stored flat.

#include "platform/FlexGridCells.h"

#include <algorithm>
#include <limits>

QString FlexGridCells::get(int r, int c) const {
    const Ref& ref = refs_[index(r, c)];
    if (ref.len == 0) return QString();
    return QString(reinterpret_cast<const QChar*>(chars_.data() + ref.off), qsizetype(ref.len));
}

void FlexGridCells::set(int r, int c, QStringView text) {
    Ref& ref = refs_[index(r, c)];
    const std::size_t len = std::size_t(text.size());
    const char16_t* src = text.utf16();
    if (len <= ref.len) {  // fits where the old text was
        std::copy(src, src + len, chars_.begin() + std::ptrdiff_t(ref.off));
        garbage_ += ref.len - len;
        ref.len = std::uint32_t(len);
        if (len == 0) ref.off = 0;
        return;
    }
    release(ref);
    ref = Ref{};
    // Reclaim dropped texts rather than grow the buffer, or when offsets would overflow.
    if ((chars_.size() + len > chars_.capacity() && garbage_ > chars_.size() / 4) ||
        chars_.size() + len > std::numeric_limits<std::uint32_t>::max())
        compact();
    ref.off = std::uint32_t(chars_.size());
    ref.len = std::uint32_t(len);
    chars_.insert(chars_.end(), src, src + len);
    if (garbage_ > (std::size_t(1) << 20) && garbage_ * 2 > chars_.size()) compact();
}

void FlexGridCells::compact() {
    std::vector<char16_t> fresh;
    fresh.reserve(chars_.size() - garbage_);
    for (Ref& ref : refs_) {
        if (ref.len == 0) {
            ref.off = 0;
            continue;
        }
        const auto off = std::uint32_t(fresh.size());
        fresh.insert(fresh.end(), chars_.begin() + std::ptrdiff_t(ref.off),
                     chars_.begin() + std::ptrdiff_t(ref.off + ref.len));
        ref.off = off;
    }
    chars_.swap(fresh);
    garbage_ = 0;
}

void FlexGridCells::resize(int rows, int cols) {
    rows = std::max(rows, 0);
    cols = std::max(cols, 0);
    if (rows == rows_ && cols == cols_) return;
    if (cols == cols_) {
        for (std::size_t i = std::size_t(rows) * std::size_t(cols); i < refs_.size(); ++i) release(refs_[i]);
        refs_.resize(std::size_t(rows) * std::size_t(cols));
    } else {
        std::vector<Ref> fresh(std::size_t(rows) * std::size_t(cols));
        for (int r = 0; r < rows_; ++r)
            for (int c = 0; c < cols_; ++c) {
                const Ref& ref = refs_[index(r, c)];
                if (r < rows && c < cols)
                    fresh[std::size_t(r) * std::size_t(cols) + std::size_t(c)] = ref;
                else
                    release(ref);
            }
        refs_.swap(fresh);
    }
    rows_ = rows;
    cols_ = cols;
    if (refs_.empty()) {
        clear();
    } else if (garbage_ > (std::size_t(1) << 20) && garbage_ * 2 > chars_.size()) {
        compact();
    }
}

void FlexGridCells::insertRow(int at) {
    refs_.insert(refs_.begin() + std::ptrdiff_t(std::size_t(at) * std::size_t(cols_)), std::size_t(cols_), Ref{});
    ++rows_;
}

void FlexGridCells::removeRow(int at) {
    const auto first = refs_.begin() + std::ptrdiff_t(std::size_t(at) * std::size_t(cols_));
    for (auto it = first; it != first + cols_; ++it) release(*it);
    refs_.erase(first, first + cols_);
    --rows_;
}

void FlexGridCells::clear() {
    std::fill(refs_.begin(), refs_.end(), Ref{});
    chars_.clear();
    chars_.shrink_to_fit();
    garbage_ = 0;
}

std::size_t FlexGridCells::bytes() const {
    return refs_.capacity() * sizeof(Ref) + chars_.capacity() * sizeof(char16_t);
}
