#include "components/InternalPlayList.h"

#include "classes/ClassBuilder.h"

namespace components {

const classes::ClassInfo& TInternalPlayList::staticClass() {
    // Scripts never create one: the player's single list is the one they get.
    static const auto info =
        classes::ClassBuilder<TInternalPlayList>("TInternalPlayList", classes::TStringList::staticClass())
            .factory({})
            .build();
    return *info;
}

TInternalPlayList& internalPlayList() {
    static TInternalPlayList* const list = new TInternalPlayList();
    return *list;
}

}  // namespace components
