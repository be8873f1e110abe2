#pragma once
// The rows of the Batch Print list as text and the arithmetic of drawing
// and ticking them. A row is "number=department|first name|last name"; the
// parts are taken apart again for drawing, so a department that holds a "|"
// shifts the parts after it.
#include <QString>

namespace vellora {

QString BatchListItemText(const QString &cardNumber, const QString &department, const QString &firstName,
                          const QString &lastName);

struct BatchListItemParts {
    QString cardNumber;  // before the first "="
    QString department;  // after it, up to the first "|" (empty without a "|")
    QString firstName;   // between the first and the second "|"
    QString lastName;    // after the second "|", up to a third
};
BatchListItemParts SplitBatchListItem(const QString &item);

// The four columns of a row whose text rectangle runs from left to right
// (x measured from the list's left edge). e = Round((right - left) / 12).
struct BatchRowColumns {
    int e = 0;
    int departmentLeft = 0, departmentRight = 0;  // left .. 2e - 2
    int numberLeft = 0, numberRight = 0;          // 2e .. right - 8e
    int firstLeft = 0, firstRight = 0;            // right - 8e .. right - 4e
    int lastLeft = 0, lastRight = 0;              // right - 4e .. right - 2
    // Where each column's text starts: column left + 2 (A, B) or + 4 (C, D).
    int departmentText = 0, numberText = 0, firstText = 0, lastText = 0;
    // The grey separators: 2e, right - 8e + 2, right - 4e + 2.
    int separator1 = 0, separator2 = 0, separator3 = 0;
};
BatchRowColumns BatchColumns(int left, int right);

// The range boxes: from = Edit1's integer or 1; to = Edit2's integer or the
// number of items. Positions are 1-based.
struct BatchRange {
    int from = 1;
    int to = 0;
    bool contains(int position) const { return from <= position && position <= to; }
};
BatchRange ParseBatchRange(const QString &edit1, const QString &edit2, int itemCount);

}  // namespace vellora
