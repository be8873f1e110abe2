#pragma once
// The card commands on the open card table (the main window's Table1, with
// cached updates). Changes become permanent only through commitCard(), which
// every command that leaves the current card runs first.
//
// Engine failures (a key violation, a table file that cannot be written)
// reach the caller as EngineError with the engine's message; the update
// cache is left as it was, so nothing else that was pending is lost. Photo
// failures reach the caller as PhotoError.
#include "lang/MessageDialog.h"
#include "store/CardPhotos.h"

#include <QObject>
#include <QString>

namespace vellora {

class PhotoItem;
class Table;

class CardStore : public QObject {
    Q_OBJECT
public:
    // `table` is not owned; it may be opened and closed while the store
    // lives. `appFolder` ends with '/'.
    CardStore(Table *table, const QString &appFolder, QObject *parent = nullptr);

    Table *table() const { return m_table; }
    const QString &appFolder() const { return m_appFolder; }

    // The text of the current row's first field: the base name of the
    // card's photo files. Empty when the table is closed or has no row.
    QString cardNumberText() const;
    bool hasCurrentCard() const;

    // The card face's photo items; refreshCardPhotos() fills them. Set them
    // once the window has built them; change doubleSided when it changes.
    CardFacePhotos &cardFace() { return m_face; }
    void setCardFace(const CardFacePhotos &face) { m_face = face; }

    // Post the current row when it is being edited or inserted, then commit
    // the update cache (also when empty). Throws EngineError.
    void commitCard();
    // Menu "Save": commitCard().
    void save() { commitCard(); }

    // Commit, insert a new row (the card that was current gets its photos
    // refreshed first), give the second field a single blank, commit (the
    // engine numbers the card) and make the new card, the last row, current.
    void newCard();
    // The current card as the operator knows it: its number and name.
    QString cardDescription() const;

    // Commit, ask Literals24 (warning; Yes, No; No the default, the card
    // named in the title); on Yes delete the card's
    // photo files .jpg, .bmp and -2.jpg (a second photo kept as -2.bmp stays)
    // and the row (in the cache until the next commit). True when deleted.
    bool deleteCard();
    // Commit, ask Literals46 (warning; Yes, No; as deleteCard()); on Yes set every field but
    // Card_Number to null and post without committing, so undoCard() can
    // still bring the values back. Photo files stay. True when cleared.
    bool clearCard();
    // Drop a pending edit, then revert the current row's cached change
    // ("not supported" is ignored) and re-read the rows.
    void undoCard();

    // Navigator buttons: move, then commitCard().
    void first();
    void prior();
    void next();
    void last();

    // Writes the item's picture as the current card's photo with the suffix
    // and loads it back (StorePhoto). False when there is no card number.
    bool storePhoto(PhotoItem *item, const QString &suffix);

    // Shows the current card's photos in cardFace(), then emits
    // cardPhotosRefreshed(). Runs by itself after every change of the
    // current row and before every insert.
    void refreshCardPhotos();

signals:
    // The photos were refreshed: the window shows its placeholders now.
    void cardPhotosRefreshed();

private:
    MessageOptions destructiveQuestion() const;
    Table *m_table;
    QString m_appFolder;
    CardFacePhotos m_face;
};

}  // namespace vellora
