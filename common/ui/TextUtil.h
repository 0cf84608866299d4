#pragma once
// Small text and message helpers every skinned window uses.
#include <QFont>
#include <QFontMetrics>
#include <QString>

#include "common/ui/SkinCallbacks.h"

class QWidget;

namespace zanto::ui {

// text unchanged when it is empty or fits in available pixels together with reserved ones;
// otherwise its longest beginning that fits together with "..." and reserved, followed by "...".
// Characters are never split (a surrogate pair counts as one).
QString FitText(const QFontMetrics& metrics, const QString& text, int available, int reserved);

// A font of that face (mapped to an installed face of similar metrics) and character height in
// pixels (the sign is ignored), normal weight, no italic, underline or strike-out.
QFont MakeFont(const QString& face, int height);

// The installed family that stands in for face.
QString MappedFontFamily(const QString& face);

// The string table of this module, for ShowMessage by number.
using StringLookupProc = QString (*)(int id);
void SetStringLookup(StringLookupProc lookup);

// Passes text, owner and type to the lent message-box service (SetMessageBoxProc) and returns its answer. Without
// a service nothing can be asked; the answer is then OK (1).
int ShowMessage(const QString& text, QWidget* owner, unsigned type);
// The same with the text of string id of this module's table (empty when there is no table).
int ShowMessage(int stringId, QWidget* owner, unsigned type);

}  // namespace zanto::ui
