#include "cad/db/open_check.h"

#include "cad/editor/console.h"
#include "host/database.h"

namespace qx {

std::size_t reportOpenObjects(const QxDbDatabase& database)
{
    const std::size_t count = database.openObjectCount();
    if (count == 0) return 0;
    std::u16string line = fromUtf8(std::to_string(count)) + u" object(s) left open:";
    for (const std::u16string& what : database.describeOpenObjects()) line += u' ' + what + u',';
    line.pop_back();
    printLine(line);
    return count;
}

std::size_t reportOpenObjects()
{
    const QxDbDatabase* db = qxdbHostApplicationServices()->workingDatabase();
    return db ? reportOpenObjects(*db) : 0;
}

}  // namespace qx
