// A list's columns as a table: header text, format and width in pixels.
#pragma once

#include <cstddef>

#include "framework/Framework.h"

struct ListColumn {
  const wchar_t* header;
  int format;
  int width;
};

// Inserts the columns in table order, the first at index `firstIndex`.
template <size_t N>
void InsertListColumns(const CListCtrl& list, const ListColumn (&columns)[N], int firstIndex = 0) {
  int index = firstIndex;
  for (const ListColumn& column : columns) list.InsertColumn(index++, column.header, column.format, column.width);
}
