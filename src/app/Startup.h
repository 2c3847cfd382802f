#pragma once

#include <QString>

namespace tobimaru {

class Prompts;
class SingleInstance;
class Toolbar;
struct IconSet;

/// True when this is the only running copy. Otherwise shows "既に起動しています。", or where the
/// lock path cannot be used at all, what is wrong with it, and returns false; the caller then
/// ends at once, touching no setting.
bool RefuseSecondInstance(SingleInstance& instance, Prompts& prompts);

/// The desktop, documents, network and up-one-level pictures of the chosen icon set on the
/// toolbar's buttons 1, 2, 3 and 5.
void PutToolbarImages(Toolbar& toolbar, const IconSet& icons);

} // namespace tobimaru
