#include "interchange/ott.h"

namespace belltower::interchange {

formats::Result<OttImport> ReadOtt(formats::ByteView) {
    return formats::MakeError(formats::ErrorCode::BadInput, "Reading Smart Messaging ringtones is not ready yet.");
}

formats::Result<OttExport> WriteOtt(const melody::MelodyFields&) {
    return formats::MakeError(formats::ErrorCode::BadInput, "Writing Smart Messaging ringtones is not ready yet.");
}

bool LooksLikeOtt(formats::ByteView) {
    return false;
}

}  // namespace belltower::interchange
