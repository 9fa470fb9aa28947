#include "store/record_io.h"

#include <SQLiteCpp/Column.h>

namespace velmora {

void BindAttributes(SQLite::Statement& statement, const ATTRIBUTES& record) {
    for (const AttributeField& field : AttributeFields()) {
        std::visit([&](auto member) { statement.bind(field.parameter, record.*member); },
                   field.member);
    }
}

void ReadAttributesRow(SQLite::Statement& query, int first, ATTRIBUTES& record) {
    int column = first;
    for (const AttributeField& field : AttributeFields()) {
        const SQLite::Column value = query.getColumn(column++);
        if (field.IsText()) {
            record.*std::get<std::string ATTRIBUTES::*>(field.member) = value.getString();
        } else {
            record.*std::get<std::int32_t ATTRIBUTES::*>(field.member) = value.getInt();
        }
    }
}

}  // namespace velmora
