#pragma once

#include <SQLiteCpp/Statement.h>

#include "store/attributes.h"

namespace velmora {

// Binds every field of a record to its named parameter (":MESSAGE_STYLE"...).
void BindAttributes(SQLite::Statement& statement, const ATTRIBUTES& record);

// Reads the 30 record columns starting at column `first` of the current row; a NULL text
// reads as empty and a NULL number as 0.
void ReadAttributesRow(SQLite::Statement& query, int first, ATTRIBUTES& record);

}  // namespace velmora
