#pragma once
// Printing the card table as a list: landscape pages with a title, the
// date, the grid's shown columns in their order and widths, every row, and
// the page number; or a text listing (.LST) of the same.
#include <QDialog>
#include <QFont>
#include <QList>
#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class QPainter;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QPagedPaintDevice;

namespace vellora {

class TableGridModel;

// The choice made in the table print dialog.
struct TablePrintChoice {
    QString printer;        // a CUPS queue, the virtual card printer's name, or "" for a PDF file
    bool toFile = false;    // a text listing instead of pages
    bool range = true;      // limited to the pages from..to
    int from = 1;
    int to = 1000;
};

// The print dialog of the table: printer, page range (1 to 1000 chosen
// first), print to file.
class TablePrintDialog : public QDialog {
    Q_OBJECT
public:
    explicit TablePrintDialog(QWidget *parent = nullptr);
    TablePrintChoice choice() const;

    QLabel *Label1 = nullptr;
    QComboBox *ComboBox1 = nullptr;
    QRadioButton *RadioButton1 = nullptr;   // all pages
    QRadioButton *RadioButton2 = nullptr;   // pages from .. to
    QSpinBox *SpinEdit1 = nullptr;
    QLabel *Label2 = nullptr;
    QSpinBox *SpinEdit2 = nullptr;
    QCheckBox *CheckBox1 = nullptr;          // print to file
    QPushButton *OKButton = nullptr;
    QPushButton *CancelButton = nullptr;
};

// The columns printed: the model's columns in shown order with widths in
// screen pixels.
struct PrintColumn {
    int column = 0;
    int width = 0;
};

// Lays out the pages. Coordinates are pixels of a 96-dpi screen, scaled to
// the device.
class TablePages {
public:
    TablePages(TableGridModel *model, QList<PrintColumn> columns, const QString &title, const QString &date);

    // Pages for a printable area of this size (in 96-dpi pixels).
    void layout(QSizeF page);
    int pageCount() const { return m_pages; }
    // True when the columns do not fit across the paper.
    bool widerThanPaper() const { return m_tableWidth > m_page.width() - kLeft - kRight; }
    // Paints page n (1-based) on a painter scaled to 96-dpi pixels.
    void paintPage(QPainter &painter, int page) const;
    // Prints pages from..to (clamped) on the device; returns pages printed.
    int print(QPagedPaintDevice &device, int from, int to);

    static constexpr int kLeft = 8, kTop = 60, kRight = 8, kBottom = 110, kGap = 8;

private:
    TableGridModel *m_model;
    QList<PrintColumn> m_columns;
    QString m_title, m_date;
    QFont m_titleFont, m_headerFont, m_rowFont;
    QSizeF m_page;
    int m_rowHeight = 0, m_headerHeight = 0, m_rowsPerPage = 1, m_pages = 1, m_tableWidth = 0;
};

// The text listing: title and date, the column titles, a rule, one line per
// row, each column padded to its longest text.
QString TableListing(TableGridModel *model, const QList<PrintColumn> &columns, const QString &title,
                     const QString &date);

}  // namespace vellora
