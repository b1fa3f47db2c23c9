// The hook through which the presentation names the records of a report.
#pragma once

#include <functional>

#include "core/FolderRecord.h"

namespace qv {

// Sets a record's display title from its figures, once the finishing pass has set them. The
// report engine knows nothing of title options: the presentation supplies the composer (see
// ComposeTitlesWith in view/ItemTitle.h). Without one, records keep the titles they have.
using TitleComposer = std::function<void(FolderRecord* record)>;

}  // namespace qv
