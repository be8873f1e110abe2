#pragma once
// The font dialog of the card face: face, size, bold, italic, underline,
// strike-out and colour of a text. It opens with the font as stored, the
// face included even when this machine has no font of that name (it is
// drawn with a substitute), and OK without a change gives the font back
// unchanged.
#include <QColor>
#include <QDialog>
#include <QFont>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace vellora {

class FontChoiceDialog : public QDialog {
    Q_OBJECT
public:
    // initial: its family and point size are shown (a pixel-sized font is
    // shown at its point size at 96 pixels per inch).
    FontChoiceDialog(const QFont &initial, const QColor &colour, QWidget *parent = nullptr);

    // The chosen font, sized in points; the initial font itself while
    // nothing was changed.
    QFont chosenFont() const;
    QColor colour() const { return m_colour; }
    void setColour(const QColor &colour);

private:
    void updateSample();
    bool changed() const;

    QFont m_initial;
    QColor m_initialColour;
    QColor m_colour;
    int m_initialPoints = 12;
    QComboBox *m_face = nullptr;
    QSpinBox *m_size = nullptr;
    QCheckBox *m_bold = nullptr;
    QCheckBox *m_italic = nullptr;
    QCheckBox *m_underline = nullptr;
    QCheckBox *m_strikeOut = nullptr;
    QPushButton *m_colourButton = nullptr;
    QLabel *m_sample = nullptr;
};

}  // namespace vellora
