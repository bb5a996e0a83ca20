#include "library/IFSI_Zip.h"

#include "library/Guarded.h"
#include "library/Zip.h"
#include "script/Imports.h"

namespace library {

const script::Imports& zipImports() {
    static const script::Imports table = [] {
        script::Imports m;
        m.routine("function UnzipFile(ZipFileName,TargetDirectory,FilesToExtract:string):Integer;",
                  guarded<&UnzipFile>)
            .routine("function IsZip( filename : string):boolean;", guarded<&IsZip>);
        return m;
    }();
    return table;
}

}  // namespace library
