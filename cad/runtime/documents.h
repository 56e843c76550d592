// The host's documents: the drawing the editor works on, with its file name. Opening or
// creating a drawing replaces the current document and makes its database the working one.
#pragma once

#include <memory>
#include <string>

class QxDbDatabase;

namespace qx {

void setCurrentDocument(std::u16string fileName, std::shared_ptr<QxDbDatabase> database);
std::shared_ptr<QxDbDatabase> currentDatabase();
std::u16string currentFileName();

}  // namespace qx
