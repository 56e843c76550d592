// The extraction settings file (.qex): the chosen properties with their display names, the
// output options and the table title, as a small XML document.
#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <string>
#include <vector>

// Option names as stored in the file.
inline constexpr char16_t kQexTotalLine[] = u"Total Line";
inline constexpr char16_t kQexHideHeaderLine[] = u"Hide Header Line";

// The document's bytes: texts in Windows-1252 ("?" for what it lacks) under a UTF-8
// declaration, four-space indentation, CR LF line ends. That is the form every stored file
// has, so it is kept.
std::string BuildQexDocument(const std::map<std::u16string, std::u16string>& mapDisplayNames,
                             const std::u16string& csTitle, const std::list<std::u16string>& lsOptions,
                             std::int32_t nGroupBy);

// Writes the document; `nGroupBy` -1 means rows are not combined. True when the file was
// written completely; on failure a file that was there before is left as it was.
bool SaveQexSettings(std::u16string csPath, const std::map<std::u16string, std::u16string>& mapDisplayNames,
                     std::u16string csTitle, const std::list<std::u16string>& lsOptions, std::int32_t nGroupBy);

// Reads the document's bytes. The lists are appended to and the map inserted into (the
// caller clears them); the title is assigned; `nGroupBy` is -1 unless a "GroupBy" option is
// present. False for bytes that are not XML or lack the root, "State" or its first "Property".
bool ParseQexDocument(const std::string& bytes, std::list<std::u16string>& lsOriginalNames, std::u16string& csTitle,
                      std::map<std::u16string, std::u16string>& mapDisplayNames, std::list<std::u16string>& lsOptions,
                      std::int32_t& nGroupBy);

bool LoadQexSettings(const std::u16string& csPath, std::list<std::u16string>& lsOriginalNames, std::u16string& csTitle,
                     std::map<std::u16string, std::u16string>& mapDisplayNames, std::list<std::u16string>& lsOptions,
                     std::int32_t& nGroupBy);
