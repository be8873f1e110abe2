#pragma once
// Translation of windows from the language table. A component is any
// QObject with an objectName (names starting "qt_" are Qt's own parts);
// keys are built from the names:
//   "FORM:" + window + "-OWNER:" + owner + "-CONTROL:" + component + suffix
// with suffix "-CAPTION", "-HINT" or "-ITEM" + n. The window is the
// top-level widget (its own caption: owner part empty); the owner of a
// control placed on a window is that window; objects below a data module
// (see MarkDataModule) have empty window and owner parts.
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class QObject;
class QWidget;

namespace vellora {

class LanguageTable;

// The tag property every component can carry; 777 keeps the caption (and
// list entries) as they are, hints are still translated.
inline constexpr int kKeepCaptionTag = 777;
void SetTag(QObject *object, int tag);
int Tag(const QObject *object);

// A data module is a non-window holder of components (the main menu): its
// components get empty window and owner names. Marked objects are also
// walked by TranslateApplication even when no window holds them.
void MarkDataModule(QObject *object);
bool IsDataModule(const QObject *object);

// Kinds of component the translation tells apart.
enum class ComponentKind {
    None,        // no texts of its own (or not a named component)
    Window,      // top-level widget: window title
    Label,       // QLabel: "<BR>" becomes a line break
    StaticText,  // QLabel with property "kind" = "statictext": "<BR>" kept
    RadioButton, // QRadioButton with a name
    CheckBox,    // QCheckBox
    TabSheet,    // page of a QTabWidget: its tab text
    MenuItem,    // QAction (not a separator) or QMenu with a name
    GroupBox,    // QGroupBox
    RadioGroup,  // QGroupBox with property "kind" = "radiogroup", or RadioGroup
    ComboBox,    // QComboBox
    ListBox,     // QListWidget
    Button,      // QAbstractButton other than radio buttons and check boxes
    Panel,       // QFrame itself, or a widget with property "kind" = "panel"
};
ComponentKind KindOf(const QObject *object);

// The key prefix of a component:
// "FORM:" + window + "-OWNER:" + owner + "-CONTROL:" + name.
QString KeyPrefix(const QObject *object);
// The window name used for the component (own name for a window, empty
// below a data module).
QString WindowNameOf(const QObject *object);
QString OwnerNameOf(const QObject *object);

// Applies the current language table to a component and everything below
// it; a component whose property "translate" is false is left alone with
// everything below it (and looks up no keys). windowName is the name of the window being walked (a window uses its
// own name; objects below a data module use an empty name). An error while
// handling one component shows the plain message window name + component
// name, and the walk goes on; an error while walking the children shows
// "erm" and ends that component's walk.
void TranslateComponent(QObject *component, const QString &windowName = QString());
// Translates every top-level window, shown or hidden, and every data module.
void TranslateApplication();

// Custom components translate their own texts: the hook is called for each
// component after its built-in kind was handled, with its key prefix, unless
// the component's tag is 777.
using TranslationHook = std::function<void(QObject *component, const QString &prefix)>;
void SetTranslationHook(TranslationHook hook);

// A key a window's translation looks up, with the component's current
// (built-in) text for it.
struct TranslationKey {
    QString key;
    QString text;  // line breaks written as "<BR>" where the kind turns them back
};
// Caption and hint keys of every named component below root (itself
// included), and the item keys of radio groups and of list and combo boxes
// that have built-in entries; tag 777 components only give their hint keys.
QList<TranslationKey> CollectTranslationKeys(QObject *root);
QStringList TranslationKeys(QObject *root);
// Keys whose component has a built-in text but that the table does not
// hold: the window would lose that text in this language.
QStringList MissingKeys(QObject *root, const LanguageTable &table);
// "key=value" lines of the built-in texts below root (non-empty only).
QString WriteSectionFromWindow(QObject *root);

}  // namespace vellora
