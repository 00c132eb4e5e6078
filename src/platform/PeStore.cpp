#include "platform/PeStore.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Points past this index are kept sparsely, so a stray large index cannot make
// the store allocate a huge array.
constexpr int kDenseLimit = 1 << 22;

int roundHalfEven(double d) {
    if (std::isnan(d)) return 0;
    const double r = std::nearbyint(d);  // the default rounding mode: halves to even
    if (r >= double(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    if (r <= double(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    return int(r);
}

}  // namespace

// ---------------------------------------------------------------------------
// PeValue

double PeValue::toDouble() const {
    switch (type()) {
        case Type::Empty: return 0.0;
        case Type::Int16: return std::get<qint16>(v_);
        case Type::Int32: return std::get<qint32>(v_);
        case Type::Boolean: return std::get<bool>(v_) ? -1.0 : 0.0;
        case Type::Double: return std::get<double>(v_);
        case Type::Single: return std::get<float>(v_);
        case Type::String: {
            bool ok = false;
            const double d = std::get<QString>(v_).trimmed().toDouble(&ok);
            return ok ? d : 0.0;
        }
    }
    return 0.0;
}

int PeValue::toInt() const {
    switch (type()) {
        case Type::Int16: return std::get<qint16>(v_);
        case Type::Int32: return std::get<qint32>(v_);
        case Type::Boolean: return std::get<bool>(v_) ? -1 : 0;
        default: return roundHalfEven(toDouble());
    }
}

float PeValue::toFloat() const {
    if (type() == Type::Single) return std::get<float>(v_);
    return float(toDouble());
}

bool PeValue::toBool() const {
    if (type() == Type::Boolean) return std::get<bool>(v_);
    return toDouble() != 0.0;
}

QString PeValue::toString() const {
    switch (type()) {
        case Type::Empty: return QString();
        case Type::String: return std::get<QString>(v_);
        case Type::Boolean: return std::get<bool>(v_) ? QStringLiteral("True") : QStringLiteral("False");
        case Type::Single: return QString::number(double(std::get<float>(v_)), 'g', 7);
        case Type::Double: return QString::number(std::get<double>(v_), 'g', 15);
        default: return QString::number(toInt());
    }
}

QVariant PeValue::toVariant() const {
    switch (type()) {
        case Type::Empty: return QVariant();
        case Type::Int16: return QVariant::fromValue(std::get<qint16>(v_));
        case Type::Int32: return QVariant(std::get<qint32>(v_));
        case Type::Boolean: return QVariant(std::get<bool>(v_));
        case Type::Double: return QVariant(std::get<double>(v_));
        case Type::Single: return QVariant(std::get<float>(v_));
        case Type::String: return QVariant(std::get<QString>(v_));
    }
    return QVariant();
}

// ---------------------------------------------------------------------------
// Colours

QColor peColor(qint32 rgb) {
    const quint32 u = quint32(rgb);
    return QColor(int(u & 0xFF), int((u >> 8) & 0xFF), int((u >> 16) & 0xFF));
}

qint32 pepalette::entry(int index) {
    static constexpr qint32 table[16] = {Black,     Blue,       Green,     Cyan,     Red,      Magenta,
                                         Brown,     LightGrey,  Grey,      LightBlue, LightGreen, LightCyan,
                                         LightRed,  LightMagenta, Yellow,  White};
    return table[((index % 16) + 16) % 16];
}

// ---------------------------------------------------------------------------
// PeStore

void PeStore::addPointProperty(int prop) {
    if (!pointProps_.contains(prop)) pointPropList_.push_back(prop);
    pointProps_.insert(prop);
}
void PeStore::setWorkingAxisProperty(int workingAxisProp) { workingAxisProp_ = workingAxisProp; }
void PeStore::addAxisProperty(int prop) { axisProps_.insert(prop); }

int PeStore::workingAxis() const {
    if (workingAxisProp_ < 0) return 0;
    return scalar_.value(workingAxisProp_).toInt();
}

void PeStore::record(int prop, int n, int i, int j, const PeValue& v) {
    if (logging_) log_.append(PeWrite{prop, n, i, j, v});
}

void PeStore::set(int prop, const PeValue& v) {
    record(prop, 0, 0, 0, v);
    if (isAxisProp(prop)) {
        one_[{prop, workingAxis()}] = v;
        return;
    }
    scalar_.insert(prop, v);
}

void PeStore::set(int prop, int i, const PeValue& v) {
    record(prop, 1, i, 0, v);
    one_[{prop, i}] = v;
}

void PeStore::set(int prop, int i, int j, const PeValue& v) {
    if (!isPointProp(prop)) {
        record(prop, 2, i, j, v);
        two_[{prop, i, j}] = v;
        return;
    }
    const float f = v.toFloat();
    record(prop, 2, i, j, PeValue(f));
    if (i < 0 || j < 0 || j >= kDenseLimit) {
        sparse_[{prop, i, j}] = Slot{f, true};
        return;
    }
    Dense& d = dense_[{prop, i}];
    if (size_t(j) >= d.size()) d.resize(size_t(j) + 1);
    d[size_t(j)] = Slot{f, true};
}

PeValue PeStore::get(int prop) const {
    if (isAxisProp(prop)) return get(prop, workingAxis());
    return scalar_.value(prop);
}

PeValue PeStore::get(int prop, int i) const {
    auto it = one_.find({prop, i});
    return it == one_.end() ? PeValue() : it->second;
}

const PeStore::Slot* PeStore::slot(int prop, int s, int p) const {
    if (s < 0 || p < 0 || p >= kDenseLimit) {
        auto it = sparse_.find({prop, s, p});
        return it == sparse_.end() ? nullptr : &it->second;
    }
    Cache& c = cache_[prop & 1];
    if (c.prop != prop || c.subset != s) {
        auto it = dense_.find({prop, s});
        if (it == dense_.end()) return nullptr;  // not cached: the array may come later
        c = Cache{prop, s, &it->second};
    }
    if (size_t(p) >= c.dense->size()) return nullptr;
    const Slot& sl = (*c.dense)[size_t(p)];
    return sl.written ? &sl : nullptr;
}

PeValue PeStore::get(int prop, int i, int j) const {
    if (!isPointProp(prop)) {
        auto it = two_.find({prop, i, j});
        return it == two_.end() ? PeValue() : it->second;
    }
    const Slot* sl = slot(prop, i, j);
    return sl ? PeValue(sl->value) : PeValue();
}

bool PeStore::has(int prop) const {
    if (isAxisProp(prop)) return has(prop, workingAxis());
    return scalar_.contains(prop);
}
bool PeStore::has(int prop, int i) const { return one_.count({prop, i}) > 0; }
bool PeStore::has(int prop, int i, int j) const {
    if (!isPointProp(prop)) return two_.count({prop, i, j}) > 0;
    return slot(prop, i, j) != nullptr;
}

float PeStore::pointValue(int prop, int subset, int point) const {
    const Slot* sl = slot(prop, subset, point);
    return sl ? sl->value : 0.0f;
}

bool PeStore::pointWritten(int prop, int subset, int point) const { return slot(prop, subset, point) != nullptr; }

void PeStore::swapPoints(int subset, int a, int b) {
    if (a == b) return;
    for (int prop : pointPropList_) {
        const bool denseA = subset >= 0 && a >= 0 && a < kDenseLimit;
        const bool denseB = subset >= 0 && b >= 0 && b < kDenseLimit;
        if (denseA && denseB) {
            // The common case: both positions in the subset's array.
            auto it = dense_.find({prop, subset});
            if (it == dense_.end()) continue;  // nothing written in this subset
            Dense& d = it->second;
            const size_t need = size_t(std::max(a, b)) + 1;
            if (d.size() < need) d.resize(need);
            std::swap(d[size_t(a)], d[size_t(b)]);
            continue;
        }
        const Slot* pa = slot(prop, subset, a);
        const Slot* pb = slot(prop, subset, b);
        const Slot sa = pa ? *pa : Slot{};
        const Slot sb = pb ? *pb : Slot{};
        auto put = [&](int p, const Slot& v) {
            if (subset < 0 || p < 0 || p >= kDenseLimit) {
                if (v.written) sparse_[{prop, subset, p}] = v;
                else sparse_.erase({prop, subset, p});
                return;
            }
            Dense& d = dense_[{prop, subset}];
            if (size_t(p) >= d.size()) d.resize(size_t(p) + 1);
            d[size_t(p)] = v;
        };
        put(a, sb);
        put(b, sa);
    }
}

void PeStore::permutePoints(int subset, const std::vector<int>& order) {
    const int n = int(order.size());
    if (n == 0) return;
    if (subset < 0 || n > kDenseLimit) {
        // Beyond the dense arrays: one exchange at a time (a cycle walk).
        std::vector<int> at(order);  // at[p]: original position of what p must hold
        std::vector<int> where(n);   // where[o]: current position of original point o
        std::vector<int> holds(n);   // holds[p]: original point now at p
        for (int p = 0; p < n; ++p) where[p] = holds[p] = p;
        for (int p = 0; p < n; ++p) {
            const int q = where[at[p]];
            if (q == p) continue;
            swapPoints(subset, p, q);
            std::swap(holds[p], holds[q]);
            where[holds[p]] = p;
            where[holds[q]] = q;
        }
        return;
    }
    Dense scratch(static_cast<size_t>(n));
    for (int prop : pointPropList_) {
        auto it = dense_.find({prop, subset});
        if (it == dense_.end()) continue;  // nothing written in this subset
        Dense& d = it->second;
        if (d.size() < size_t(n)) d.resize(size_t(n));
        for (int p = 0; p < n; ++p) scratch[size_t(p)] = d[size_t(order[size_t(p)])];
        std::copy(scratch.begin(), scratch.end(), d.begin());
    }
}

void PeStore::clearPoints() {
    cache_[0] = cache_[1] = Cache{};
    dense_.clear();
    sparse_.clear();
}

void PeStore::clearProperty(int prop) {
    scalar_.remove(prop);
    for (auto it = one_.begin(); it != one_.end();) {
        if (it->first.first == prop) it = one_.erase(it);
        else ++it;
    }
    for (auto it = two_.begin(); it != two_.end();) {
        if (it->first.prop == prop) it = two_.erase(it);
        else ++it;
    }
}
