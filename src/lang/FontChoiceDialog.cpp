#include "lang/FontChoiceDialog.h"

#include "lang/CommonDialogs.h"
#include "lang/Translation.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>

namespace vellora {

namespace {

int pointsOf(const QFont &font)
{
    if (font.pointSize() > 0)
        return font.pointSize();
    if (font.pixelSize() > 0)
        return qMax(1, qRound(font.pixelSize() * 72.0 / 96.0));
    return 12;
}

QIcon swatch(const QColor &colour)
{
    QPixmap pm(16, 16);
    pm.fill(colour.isValid() ? colour : QColor(Qt::black));
    QPainter p(&pm);
    p.setPen(Qt::gray);
    p.drawRect(0, 0, 15, 15);
    return QIcon(pm);
}

}  // namespace

FontChoiceDialog::FontChoiceDialog(const QFont &initial, const QColor &colour, QWidget *parent)
    : QDialog(parent), m_initial(initial), m_initialColour(colour), m_colour(colour), m_initialPoints(pointsOf(initial))
{
    setObjectName(QStringLiteral("FontDialog1"));
    setWindowTitle(QStringLiteral("Font"));
    auto *grid = new QGridLayout(this);

    auto label = [this](const char *name, const char *text) {
        auto *l = new QLabel(QLatin1String(text), this);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    QLabel *faceLabel = label("FaceLabel", "Font:");
    m_face = new QComboBox(this);
    m_face->setObjectName(QStringLiteral("FaceBox"));
    m_face->setEditable(true);
    // The list is this machine's fonts, not texts to translate.
    SetTag(m_face, kKeepCaptionTag);
    QStringList families = QFontDatabase::families();
    const QString face = initial.family();
    if (!families.contains(face, Qt::CaseInsensitive))
        families.prepend(face);
    m_face->addItems(families);
    m_face->setCurrentText(face);
    faceLabel->setBuddy(m_face);
    m_face->setAccessibleName(faceLabel->text());

    QLabel *sizeLabel = label("SizeLabel", "Size:");
    m_size = new QSpinBox(this);
    m_size->setObjectName(QStringLiteral("SizeBox"));
    m_size->setRange(1, 400);
    m_size->setValue(m_initialPoints);
    sizeLabel->setBuddy(m_size);
    m_size->setAccessibleName(sizeLabel->text());

    auto check = [this](const char *name, const char *text, bool on) {
        auto *c = new QCheckBox(QLatin1String(text), this);
        c->setObjectName(QLatin1String(name));
        c->setChecked(on);
        return c;
    };
    m_bold = check("BoldBox", "Bold", initial.bold());
    m_italic = check("ItalicBox", "Italic", initial.italic());
    m_underline = check("UnderlineBox", "Underline", initial.underline());
    m_strikeOut = check("StrikeOutBox", "Strikeout", initial.strikeOut());

    QLabel *colourLabel = label("ColourLabel", "Colour:");
    m_colourButton = new QPushButton(QStringLiteral("Choose..."), this);
    m_colourButton->setObjectName(QStringLiteral("ColourButton"));
    m_colourButton->setIcon(swatch(m_colour));
    colourLabel->setBuddy(m_colourButton);
    connect(m_colourButton, &QPushButton::clicked, this, [this] {
        if (const std::optional<QColor> c = ColourDialog(this, m_colour))
            setColour(*c);
    });

    m_sample = new QLabel(QStringLiteral("AaBbYyZz 123"), this);
    m_sample->setObjectName(QStringLiteral("SampleLabel"));
    SetTag(m_sample, kKeepCaptionTag);
    m_sample->setMinimumSize(260, 60);
    m_sample->setAlignment(Qt::AlignCenter);
    m_sample->setFrameShape(QFrame::StyledPanel);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    grid->addWidget(faceLabel, 0, 0);
    grid->addWidget(m_face, 0, 1, 1, 2);
    grid->addWidget(sizeLabel, 1, 0);
    grid->addWidget(m_size, 1, 1);
    grid->addWidget(m_bold, 2, 1);
    grid->addWidget(m_italic, 2, 2);
    grid->addWidget(m_underline, 3, 1);
    grid->addWidget(m_strikeOut, 3, 2);
    grid->addWidget(colourLabel, 4, 0);
    grid->addWidget(m_colourButton, 4, 1);
    grid->addWidget(m_sample, 5, 0, 1, 3);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 6, 0, 1, 3);

    for (QCheckBox *c : {m_bold, m_italic, m_underline, m_strikeOut})
        connect(c, &QCheckBox::toggled, this, &FontChoiceDialog::updateSample);
    connect(m_size, &QSpinBox::valueChanged, this, &FontChoiceDialog::updateSample);
    connect(m_face, &QComboBox::currentTextChanged, this, &FontChoiceDialog::updateSample);
    TranslateComponent(this, objectName());
    m_face->setAccessibleName(faceLabel->text());
    m_size->setAccessibleName(sizeLabel->text());
    m_colourButton->setAccessibleDescription(colourLabel->text());
    updateSample();
}

void FontChoiceDialog::setColour(const QColor &colour)
{
    m_colour = colour;
    m_colourButton->setIcon(swatch(colour));
    updateSample();
}

bool FontChoiceDialog::changed() const
{
    return m_face->currentText() != m_initial.family() || m_size->value() != m_initialPoints ||
           m_bold->isChecked() != m_initial.bold() || m_italic->isChecked() != m_initial.italic() ||
           m_underline->isChecked() != m_initial.underline() || m_strikeOut->isChecked() != m_initial.strikeOut();
}

QFont FontChoiceDialog::chosenFont() const
{
    if (!changed())
        return m_initial;
    QFont font(m_initial);
    font.setFamily(m_face->currentText());
    font.setPointSize(m_size->value());
    font.setBold(m_bold->isChecked());
    font.setItalic(m_italic->isChecked());
    font.setUnderline(m_underline->isChecked());
    font.setStrikeOut(m_strikeOut->isChecked());
    return font;
}

void FontChoiceDialog::updateSample()
{
    QFont font = chosenFont();
    font.setPointSize(qMin(m_size->value(), 36));
    m_sample->setFont(font);
    QPalette pal = m_sample->palette();
    pal.setColor(QPalette::WindowText, m_colour.isValid() ? m_colour : QColor(Qt::black));
    m_sample->setPalette(pal);
}

}  // namespace vellora
