#include "app/ProgramTexts.h"
#include "resources/Resources.h"

namespace orv {

std::string ProgramText(int id)
{
    const std::string_view stored = StoredBytes(id);
    return stored.empty() ? BuiltInText(id) : std::string(stored);
}

}  // namespace orv
