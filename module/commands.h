// The module's two commands and their group.
#pragma once

inline constexpr const char16_t* kCommandGroup = u"QXRX_DATA_EXTRACT";
inline constexpr const char16_t* kExtractionCommand = u"DATAEXTRACTION";
inline constexpr const char16_t* kUpdateCommand = u"DATAEXTRACTIONUPDATE";

void RegisterCommands();
void UnregisterCommands();

// The handlers the host calls.
void RunDataExtraction();
void RunDataExtractionUpdate();
