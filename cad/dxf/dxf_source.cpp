// The file a database was read from lives in the database itself: it goes when the database
// goes, and no other database can find it.
#include "cad/db/database_impl.h"
#include "cad/dxf/dxf_drawing.h"

namespace qx::dxf {

void attachSource(QxDbDatabase& database, std::unique_ptr<DxfSource> source) { qx::DbInternals::impl(database).fileSource = std::move(source); }

DxfSource* sourceOf(const QxDbDatabase* database)
{
    return database ? static_cast<DxfSource*>(qx::DbInternals::impl(*database).fileSource.get()) : nullptr;
}

void forgetSource(const QxDbDatabase* database)
{
    if (database) qx::DbInternals::impl(*const_cast<QxDbDatabase*>(database)).fileSource.reset();
}

}  // namespace qx::dxf
