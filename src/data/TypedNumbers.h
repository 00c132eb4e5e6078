#pragma once
// The one reading of a number the operator types into a box: a dialog's
// box, a grid cell of the sequence editor, a calibration value. Every door
// that takes such a number reads it here, and refuses a text that is no
// number with a message naming the box; the door then changes nothing.
//
// A number is the whole text, blanks around it aside: a plain decimal
// number with a point for decimals, an optional sign and exponent ("12",
// "-3.5", ".5", "1e3"; StrictNumber). "abc", "1,2", "-", "12 kg" and a
// number too large for a double are no numbers. An empty box (or one of
// blanks only) holds no number either, unless the box gives it a value of
// its own (`whenEmpty`: an empty box of the step builder is 0, ...).

#include <QString>
#include <QVector>
#include <optional>

namespace typed {

// The number typed, or nothing when the text is none (an empty text:
// `whenEmpty`).
std::optional<double> TypedNumber(const QString& text, std::optional<double> whenEmpty = std::nullopt);

// A box as a door reads it.
struct NumberBox {
    QString name;                     // as the operator reads it: its caption ("Temp (°F)")
    QString text;                     // what is typed
    std::optional<double> whenEmpty;  // what an empty box stands for, where it stands for something
    QString objectName;               // the control to give the focus back to ("" for none)
};

// A box refused: the message names it and what it holds.
struct NumberRefusal {
    QString message;
    QString objectName;
};

// The message of a box that holds no number:
//   Temp (°F): "abc" is not a number. Please type a number, with a point for decimals (2.5).
//   Max: the box is empty. Please type a number, with a point for decimals (2.5).
QString NotANumberMessage(const QString& name, const QString& text);

// The refusal of a box, nothing when it holds a number.
std::optional<NumberRefusal> RefusedNumber(const NumberBox& box);
// The first box, in order, that holds no number.
std::optional<NumberRefusal> FirstRefusedNumber(const QVector<NumberBox>& boxes);

// A caption as a box's name: without the colon and blanks that end it
// ("Temperature (°F):" is "Temperature (°F)"; "Cycle :" is "Cycle").
QString BoxName(const QString& caption);

}  // namespace typed
