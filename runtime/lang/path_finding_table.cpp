#include "runtime/lang/path_finding_table.h"

#include "runtime/core/application.h"
#include "runtime/core/array_base.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"

QXLibPathFindingStatics QXLibPathFindingStatics::statics;

void QXLibPathFindingStatics::clinit() {
    IntArray* table = mrc::ApplicationImpl::getApplication()->objectManager->newIntArray(16);
    JArray::fillInts(table, {0, -1, 0, 1, -1, 0, 1, 0, -1, -1, 1, -1, -1, 1, 1, 1});
    statics.s_neighbours = table;
}
