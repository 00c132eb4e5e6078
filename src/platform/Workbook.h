#pragma once
// The spreadsheet of the Excel reports and of the PVT window's brief
// workbook: one worksheet written cell by cell into a real .xlsx file
// (libxlsxwriter), then saved under a new, readable name and shown with the
// desktop's default application.
//
// Rows and columns count from 1, as a spreadsheet's cells do: cell (1, 1) is
// A1. The sheet is written top to bottom, so a report of a million rows costs
// no more memory than one of ten: the cells of a row may come in any order,
// but once a later row has been written, the rows above it are final and a
// cell written there is refused. A merged range counts as written up to its
// last row.
//
// Nothing here throws: a refused cell gives false and leaves the cell empty;
// a workbook that cannot be saved gives the file and the reason.

#include <QColor>
#include <QDateTime>
#include <QImage>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

// How a cell, or every cell of a merged range, looks.
struct CellFormat {
    enum class Align { General, Left, Centre, Right };

    double fontSize = 0;        // points; 0 = the sheet's default (11)
    bool bold = false;
    Align align = Align::General;
    bool border = false;        // a thin continuous line on every side
    QColor fill;                // solid fill; invalid = none
    bool wrap = false;          // wrap the text in the cell
    QString numberFormat;       // e.g. "0.00"; empty = General (dates: kDateTimeFormat)
};

class Workbook {
public:
    static constexpr int kMaxRows = 1048576;
    static constexpr int kMaxColumns = 16384;
    static constexpr int kMaxTextLength = 32767;   // longer texts are cut
    static constexpr int kMaxHeaderLength = 255;   // a page header, in characters
    // The form of a date-time cell without a number format of its own.
    static inline const QString kDateTimeFormat = QStringLiteral("yyyy-mm-dd hh:mm:ss");
    // The grey of the spreadsheet's colour index 15.
    static inline const QColor kGrey = QColor(0xC0, 0xC0, 0xC0);

    Workbook();  // a new workbook holding one empty worksheet
    ~Workbook();
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    // Cells. False (and nothing written) for a cell outside the sheet, in a
    // row above the last row written, or a number that is not finite.
    bool setNumber(int row, int col, double value, const CellFormat& format = {});
    bool setText(int row, int col, const QString& text, const CellFormat& format = {});
    // A text whose line breaks (CR LF, CR or LF) are written as the LF a
    // spreadsheet shows, in a cell that wraps (setText keeps a CR, which a
    // spreadsheet shows as "_x000D_").
    bool setTextLines(int row, int col, const QString& text, const CellFormat& format = {});
    bool setDateTime(int row, int col, const QDateTime& value, const CellFormat& format = {});
    // By the value's type: a number, a date or date-time, anything else as its
    // text. A null or invalid value writes nothing (and gives true).
    bool setValue(int row, int col, const QVariant& value, const CellFormat& format = {});
    // One cell over the range (firstRow, firstCol) to (lastRow, lastCol)
    // holding the text; the format applies to every cell of it (a border
    // therefore frames the whole range).
    bool mergeRange(int firstRow, int firstCol, int lastRow, int lastCol, const QString& text,
                    const CellFormat& format);

    // The last row written (0 before any).
    int lastRow() const;

    // Column widths, in characters of the default font.
    void setColumnWidth(int col, double width);
    // Sets the column's width from the longest text written into it so far
    // (numbers and dates count as the text they show); later cells do not
    // widen it. A column with nothing written keeps its width.
    void autoFitColumn(int col);
    // The width autoFitColumn gives a text of the font size (0 = default).
    static double fitWidth(const QString& text, double fontSize = 0);

    // A picture at its own size, its top-left corner on the cell's; stored as
    // PNG. False for a null image.
    bool insertPicture(int row, int col, const QImage& image);
    // The picture from an image file (any format QImage reads). False when
    // the file cannot be read.
    bool insertPictureFile(int row, int col, const QString& path);

    // Page set-up.
    void setPrintTitleRows(int firstRow, int lastRow);  // rows repeated at the top of every page
    void setLandscape(bool landscape = true);
    void setFitToPages(int wide, int tall);  // zoom off; 0 = as many pages as needed
    // The centre section of the page header, shown literally: an "&" is kept
    // as an "&", and a text longer than the header holds is cut.
    void setCenterHeader(const QString& text);

    // Saves the workbook as a new file "<baseName><suffix>.xlsx" in the folder
    // (made when missing); when that name is taken, "<baseName><suffix>
    // (2).xlsx" and so on. Returns the path written, or the empty text: error()
    // then names the file and the reason. A workbook is saved once; it cannot
    // be written to after.
    QString saveInFolder(const QString& folder, const QString& baseName, const QString& suffix = QString());
    // Saves to the path, replacing a file there. False on failure (error()).
    bool saveAs(const QString& path);
    QString error() const;

    // The file name saveInFolder would use now: the base name and the suffix
    // made safe for a file name (no path separators or reserved characters,
    // not empty), the base name cut so that the two together hold at most
    // kMaxNameLength characters and kMaxNameBytes bytes in the file system's
    // encoding (the suffix is kept whole), then the first free "<name>.xlsx",
    // "<name> (2).xlsx", ...
    static constexpr int kMaxNameLength = 120;
    static constexpr int kMaxNameBytes = 200;
    static QString uniqueFileName(const QString& folder, const QString& baseName, const QString& suffix = QString());

    // Shows a saved workbook with the desktop's default application for .xlsx
    // files; false when the desktop has no application for them (or it could
    // not be started). Tests install an opener of their own (nullptr restores
    // the desktop's); setOpener returns the previous one.
    using Opener = std::function<bool(const QString& path)>;
    static Opener setOpener(Opener opener);
    static bool open(const QString& path);

    // The desktop's opener asks the desktop for its application for the
    // workbook's MIME type, and starts it only when there is one: starting
    // the desktop's opener alone would say nothing of an opener that finds
    // no application. Its two steps, replaceable by tests.
    static inline const QString kMimeType =
        QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet");
    struct DesktopSeam {
        // The desktop file of the default application for a MIME type, the
        // empty text when none (default: "xdg-mime query default <type>").
        std::function<QString(const QString& mimeType)> defaultApplication;
        // Starts the application on the file (default: QDesktopServices).
        std::function<bool(const QString& path)> openFile;
    };
    static DesktopSeam& desktopSeam();
    static void resetDesktopSeam();

    // What a report does with the workbook it saved: an empty `path` is said
    // as a workbook that could not be written (`error` why); a written one
    // is shown, and said where no application shows it. Returns `path`.
    static QString showSaved(const QString& path, const QString& error);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
