#include "dataman/dataview/TablePrint.h"

#include "dataman/dataview/GridModel.h"
#include "devices/print/PrinterRegistry.h"
#include "lang/LanguageTable.h"
#include "lang/Translation.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include <cmath>

namespace vellora {

namespace {

const char kPdfEntryKey[] = "FORM:PrintGridDialog-OWNER:PrintGridDialog-CONTROL:PdfFile-CAPTION";

QFont arial(int pixels, bool bold)
{
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

}  // namespace

TablePrintDialog::TablePrintDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("PrintGridDialog"));
    setWindowTitle(QStringLiteral("Print"));
    setModal(true);
    setFixedSize(360, 170);
    Label1 = new QLabel(QStringLiteral("Printer:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(10, 12, 80, 20);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    SetTag(ComboBox1, kKeepCaptionTag);   // printer names are data
    ComboBox1->setGeometry(95, 10, 255, 24);
    Label1->setBuddy(ComboBox1);
    for (const PrinterEntry &p : AvailablePrinters())
        ComboBox1->addItem(p.description.isEmpty() ? p.name : p.name + QStringLiteral(" (") + p.description + ')',
                           p.name);
    const QString pdf = LangText(QString::fromLatin1(kPdfEntryKey));
    ComboBox1->addItem(pdf.isEmpty() ? QStringLiteral("PDF file") : pdf, QString());
    const int current = ComboBox1->findData(CurrentPrinterName());
    ComboBox1->setCurrentIndex(current < 0 ? 0 : current);

    RadioButton1 = new QRadioButton(QStringLiteral("All pages"), this);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton1->setGeometry(10, 44, 200, 20);
    RadioButton2 = new QRadioButton(QStringLiteral("Pages"), this);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    RadioButton2->setGeometry(10, 72, 90, 20);
    RadioButton2->setChecked(true);
    SpinEdit1 = new QSpinBox(this);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    SpinEdit1->setRange(1, 100000);
    SpinEdit1->setValue(1);
    SpinEdit1->setGeometry(105, 70, 80, 24);
    SpinEdit1->setAccessibleName(RadioButton2->text());
    Label2 = new QLabel(QStringLiteral("to"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(192, 72, 40, 20);
    SpinEdit2 = new QSpinBox(this);
    SpinEdit2->setObjectName(QStringLiteral("SpinEdit2"));
    SpinEdit2->setRange(1, 100000);
    SpinEdit2->setValue(1000);
    SpinEdit2->setGeometry(235, 70, 80, 24);
    Label2->setBuddy(SpinEdit2);
    CheckBox1 = new QCheckBox(QStringLiteral("Print to file"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(10, 102, 300, 20);
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(170, 136, 85, 25);
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setGeometry(265, 136, 85, 25);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(RadioButton2, &QRadioButton::toggled, this, [this](bool on) {
        SpinEdit1->setEnabled(on);
        SpinEdit2->setEnabled(on);
    });
}

TablePrintChoice TablePrintDialog::choice() const
{
    TablePrintChoice c;
    c.printer = ComboBox1->currentData().toString();
    c.toFile = CheckBox1->isChecked();
    c.range = RadioButton2->isChecked();
    c.from = SpinEdit1->value();
    c.to = SpinEdit2->value();
    return c;
}

TablePages::TablePages(TableGridModel *model, QList<PrintColumn> columns, const QString &title, const QString &date)
    : m_model(model), m_columns(std::move(columns)), m_title(title), m_date(date),
      m_titleFont(arial(16, true)), m_headerFont(arial(13, true)), m_rowFont(arial(12, false))
{
    for (const PrintColumn &c : m_columns)
        m_tableWidth += c.width;
}

void TablePages::layout(QSizeF page)
{
    m_page = page;
    // Rows and titles get 40 per cent of their font's height as gap.
    m_rowHeight = int(std::lround(QFontMetrics(m_rowFont).height() * 1.4));
    m_headerHeight = int(std::lround(QFontMetrics(m_headerFont).height() * 1.4));
    const double body = page.height() - kTop - kBottom - m_headerHeight;
    m_rowsPerPage = std::max(1, int(body / m_rowHeight));
    const int rows = m_model->rowCount();
    m_pages = std::max(1, (rows + m_rowsPerPage - 1) / m_rowsPerPage);
}

void TablePages::paintPage(QPainter &p, int page) const
{
    const double w = m_page.width();
    const double h = m_page.height();
    // Title centred above the table, the date at the top right.
    p.setPen(Qt::black);
    p.setFont(m_titleFont);
    p.drawText(QRectF(kLeft, 0, w - kLeft - kRight, kTop * 0.6), Qt::AlignHCenter | Qt::AlignBottom, m_title);
    p.setFont(m_rowFont);
    p.drawText(QRectF(kLeft, 0, w - kLeft - kRight, kTop * 0.6), Qt::AlignRight | Qt::AlignBottom, m_date);

    const int first = (page - 1) * m_rowsPerPage;
    const int last = std::min(m_model->rowCount(), first + m_rowsPerPage);
    const double right = std::min(w - kRight, double(kLeft + m_tableWidth));
    const double top = kTop;
    const double bottom = top + m_headerHeight + double(last - first) * m_rowHeight;
    p.save();
    p.setClipRect(QRectF(kLeft, top, w - kLeft - kRight, h - top - kBottom + 1));
    // Titles.
    p.setFont(m_headerFont);
    double x = kLeft;
    for (const PrintColumn &c : m_columns) {
        p.drawText(QRectF(x + kGap / 2.0, top, c.width - kGap, m_headerHeight), Qt::AlignVCenter | Qt::AlignLeft,
                   m_model->headerData(c.column, Qt::Horizontal).toString());
        x += c.width;
    }
    // Rows.
    p.setFont(m_rowFont);
    for (int r = first; r < last; ++r) {
        const double y = top + m_headerHeight + double(r - first) * m_rowHeight;
        x = kLeft;
        for (const PrintColumn &c : m_columns) {
            p.drawText(QRectF(x + kGap / 2.0, y, c.width - kGap, m_rowHeight), Qt::AlignVCenter | Qt::AlignLeft,
                       m_model->text(r, c.column));
            x += c.width;
        }
    }
    // Border, column lines and row lines.
    QPen pen(Qt::black);
    pen.setWidthF(0.75);
    p.setPen(pen);
    p.drawRect(QRectF(kLeft, top, right - kLeft, bottom - top));
    x = kLeft;
    for (const PrintColumn &c : m_columns) {
        x += c.width;
        if (x < right)
            p.drawLine(QPointF(x, top), QPointF(x, bottom));
    }
    for (int r = 0; r <= last - first; ++r) {
        const double y = top + m_headerHeight + double(r) * m_rowHeight;
        p.drawLine(QPointF(kLeft, y), QPointF(right, y));
    }
    p.restore();
    // Page number at the bottom centre.
    p.setFont(m_rowFont);
    p.drawText(QRectF(kLeft, h - kBottom, w - kLeft - kRight, kBottom * 0.6), Qt::AlignCenter,
               QStringLiteral("Page: ") + QString::number(page));
}

int TablePages::print(QPagedPaintDevice &device, int from, int to)
{
    QPainter p(&device);
    const double sx = device.logicalDpiX() / 96.0;
    const double sy = device.logicalDpiY() / 96.0;
    p.scale(sx, sy);
    p.setRenderHint(QPainter::TextAntialiasing);
    layout(QSizeF(device.width() / sx, device.height() / sy));
    from = std::clamp(from, 1, m_pages);
    to = std::clamp(to, from, m_pages);
    for (int page = from; page <= to; ++page) {
        if (page > from)
            device.newPage();
        paintPage(p, page);
    }
    p.end();
    return to - from + 1;
}

QString TableListing(TableGridModel *model, const QList<PrintColumn> &columns, const QString &title,
                     const QString &date)
{
    QList<int> widths;
    for (const PrintColumn &c : columns)
        widths.append(int(model->headerData(c.column, Qt::Horizontal).toString().size()));
    const int rows = model->rowCount();
    for (int r = 0; r < rows; ++r)
        for (int i = 0; i < columns.size(); ++i)
            widths[i] = std::max(widths[i], int(model->text(r, columns[i].column).size()));
    const auto line = [&](const std::function<QString(int)> &cell) {
        QString s;
        for (int i = 0; i < columns.size(); ++i) {
            if (i > 0)
                s += QStringLiteral("  ");
            s += i + 1 < columns.size() ? cell(i).leftJustified(widths[i]) : cell(i);
        }
        while (s.endsWith(QLatin1Char(' ')))
            s.chop(1);
        return s + QLatin1Char('\n');
    };
    QString out = title + QStringLiteral("  ") + date + QLatin1Char('\n') + QLatin1Char('\n');
    out += line([&](int i) { return model->headerData(columns[i].column, Qt::Horizontal).toString(); });
    out += line([&](int i) { return QString(widths[i], QLatin1Char('-')); });
    for (int r = 0; r < rows; ++r)
        out += line([&](int i) { return model->text(r, columns[i].column).replace(QLatin1Char('\n'), QLatin1Char(' ')); });
    return out;
}

}  // namespace vellora
