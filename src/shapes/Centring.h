#pragma once

#include "document/TextItem.h"

// Which way an item is centred on the disc.
enum class CentreAxis { Across, Down };

namespace Centring {

// Whether an item can be centred that way: text along the disc centres across only (its anchor
// goes to the top or the bottom of the disc).
bool canCentre(const TextItem& item, CentreAxis axis);

// The item centred on the disc: straight text by its box as it always was, turned text by its
// ink, text along the disc with its middle at 12 o'clock (outside) or 6 o'clock (inside).
TextItem centred(const TextItem& item, CentreAxis axis);

} // namespace Centring
