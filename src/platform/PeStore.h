#pragma once
// The property store behind the chart controls. The charts are driven only by
// writing typed values to numbered properties, some indexed by one number (a
// subset or an axis) or by two (subset, point). The store keeps every write so
// that the program (and its tests) can read titles, labels, counts, colours,
// scales and data back without anything being painted.

#include <QColor>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QVariant>
#include <map>
#include <tuple>
#include <variant>
#include <vector>

// One value written to a chart property, with the type it was written as:
// 16-bit or 32-bit integer, Boolean, double, single (float) or string.
class PeValue {
public:
    enum class Type { Empty, Int16, Int32, Boolean, Double, Single, String };

    PeValue() = default;
    PeValue(qint16 v) : v_(v) {}
    PeValue(int v) : v_(qint32(v)) {}
    PeValue(bool v) : v_(v) {}
    PeValue(double v) : v_(v) {}
    PeValue(float v) : v_(v) {}
    PeValue(const QString& v) : v_(v) {}
    PeValue(const char* v) : v_(QString::fromUtf8(v)) {}

    Type type() const { return Type(v_.index()); }
    bool isEmpty() const { return type() == Type::Empty; }

    // Conversions. True reads as -1 when taken as a number; an empty value
    // reads as 0 or the empty text; a text that is not a number reads as 0.
    // Integers are rounded from doubles half to even.
    int toInt() const;
    double toDouble() const;
    float toFloat() const;
    bool toBool() const;
    QString toString() const;
    QVariant toVariant() const;

    bool operator==(const PeValue& o) const { return v_ == o.v_; }
    bool operator!=(const PeValue& o) const { return !(v_ == o.v_); }

private:
    std::variant<std::monostate, qint16, qint32, bool, double, float, QString> v_;
};

// A colour as the chart properties carry it: red in the lowest byte, green in
// the next, blue in the third, the top byte 0.
constexpr qint32 peRgb(int r, int g, int b) {
    return qint32((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
QColor peColor(qint32 rgb);

// Entries of the classic 16-colour palette used by the charts.
namespace pepalette {
constexpr qint32 Black = peRgb(0, 0, 0);             // 0
constexpr qint32 Blue = peRgb(0, 0, 128);            // 1
constexpr qint32 Green = peRgb(0, 128, 0);           // 2
constexpr qint32 Cyan = peRgb(0, 128, 128);          // 3
constexpr qint32 Red = peRgb(128, 0, 0);             // 4
constexpr qint32 Magenta = peRgb(128, 0, 128);       // 5
constexpr qint32 Brown = peRgb(128, 128, 0);         // 6
constexpr qint32 LightGrey = peRgb(192, 192, 192);   // 7
constexpr qint32 Grey = peRgb(128, 128, 128);        // 8
constexpr qint32 LightBlue = peRgb(0, 0, 255);       // 9
constexpr qint32 LightGreen = peRgb(0, 255, 0);      // 10
constexpr qint32 LightCyan = peRgb(0, 255, 255);     // 11
constexpr qint32 LightRed = peRgb(255, 0, 0);        // 12
constexpr qint32 LightMagenta = peRgb(255, 0, 255);  // 13
constexpr qint32 Yellow = peRgb(255, 255, 0);        // 14
constexpr qint32 White = peRgb(255, 255, 255);       // 15
// Palette entry 0..15 as a property colour.
qint32 entry(int index);
}  // namespace pepalette

// One recorded write (kept only while logging is on).
struct PeWrite {
    int prop = 0;
    int indexCount = 0;  // 0, 1 or 2
    int i = 0;
    int j = 0;
    PeValue value;
    bool operator==(const PeWrite& o) const {
        return prop == o.prop && indexCount == o.indexCount && i == o.i && j == o.j && value == o.value;
    }
};

class PeStore {
public:
    // Point properties: two indices (subset, point), every value held as a
    // single-precision float. Kept in dense per-subset arrays.
    void addPointProperty(int prop);
    // Working-axis properties: a write without index applies to the axis
    // named by the working-axis property, and is kept under that axis number.
    void setWorkingAxisProperty(int workingAxisProp);
    void addAxisProperty(int prop);

    void set(int prop, const PeValue& v);
    void set(int prop, int i, const PeValue& v);
    void set(int prop, int i, int j, const PeValue& v);

    // The value last written (empty when never written). A working-axis
    // property read without index gives the working axis's value.
    PeValue get(int prop) const;
    PeValue get(int prop, int i) const;
    PeValue get(int prop, int i, int j) const;
    bool has(int prop) const;
    bool has(int prop, int i) const;
    bool has(int prop, int i, int j) const;

    // Point data: value as float (0 when never written) and whether written.
    float pointValue(int prop, int subset, int point) const;
    bool pointWritten(int prop, int subset, int point) const;
    // Every point property of two point positions exchanged, written or not.
    void swapPoints(int subset, int a, int b);
    // Every point property of positions 0 .. order.size() - 1 of a subset
    // rearranged at once: position p takes what position order[p] held,
    // written or not. `order` must be a permutation of those positions.
    void permutePoints(int subset, const std::vector<int>& order);
    // Forgets every point value.
    void clearPoints();
    // Forgets the values of one property (all its indices).
    void clearProperty(int prop);

    // The optional log of every write, in order.
    void setLogging(bool on) { logging_ = on; }
    bool logging() const { return logging_; }
    const QList<PeWrite>& log() const { return log_; }
    void clearLog() { log_.clear(); }

private:
    struct Slot {
        float value = 0.0f;
        bool written = false;
    };
    struct Key2 {
        int prop, i, j;
        bool operator<(const Key2& o) const {
            return std::tie(prop, i, j) < std::tie(o.prop, o.i, o.j);
        }
    };
    using Dense = std::vector<Slot>;  // index: point

    bool isPointProp(int prop) const { return pointProps_.contains(prop); }
    bool isAxisProp(int prop) const { return axisProps_.contains(prop); }
    int workingAxis() const;
    void record(int prop, int n, int i, int j, const PeValue& v);
    const Slot* slot(int prop, int s, int p) const;

    QSet<int> pointProps_;
    std::vector<int> pointPropList_;
    QSet<int> axisProps_;
    int workingAxisProp_ = -1;
    QHash<int, PeValue> scalar_;
    std::map<std::pair<int, int>, PeValue> one_;
    std::map<Key2, PeValue> two_;               // two-index values of other properties
    std::map<std::pair<int, int>, Dense> dense_;  // (prop, subset) -> points
    std::map<Key2, Slot> sparse_;               // point values at negative or very large indices
    bool logging_ = false;
    QList<PeWrite> log_;
    // The last point arrays looked up, one per slot (slot = prop % 2): the
    // in-chart sort reads the same subset's X and Y values many times over.
    struct Cache {
        int prop = -1, subset = -1;
        const Dense* dense = nullptr;
    };
    mutable Cache cache_[2];
};
