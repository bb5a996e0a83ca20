// The library's shared vocabulary: the Windows type aliases, the registered enumerations
// and records, and the constant groups (colours, virtual keys, message-box flags and
// results, show commands, shell folders, version masks, CD door actions,
// file filters; the registry roots come with the registry family). Declared before any family's routines,
// which name these types.
#pragma once

namespace script {
class Imports;
}

namespace library {

const script::Imports& conventionImports();

// The player's own enumerations registered from their type information.
enum TMsgBoxType { mbInformation, mbConfirmation, mbError, mbCriticalError };
enum TShellFolderID {
    sfDesktop,
    sfStartMenu,
    sfPrograms,
    sfStartup,
    sfSendTo,
    sfFonts,
    sfAppData,
    sfDocs,
    sfTemplates,
    sfFavorites,
    sfLocalAppData
};

}  // namespace library
