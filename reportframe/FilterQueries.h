#pragma once

#include "Criteria.h"
#include "DbConnection.h"

#include <vector>

namespace trellum {

// The filter panel's statements. Each fills `out` with what it read before any error.

// Every region, in 区域编号 order.
DbStatus loadRegions(DbConnection& db, std::vector<RegionEntry>& out);
// The categories in use, in 类别编号 order (the window's CategoryTable).
DbStatus loadCategories(DbConnection& db, CategoryTable& out);
// The region's tree: the root, then one node per active office (A, D) or worker (B, C), in the
// order the statement returns them; a code that comes back twice gets one node.
DbStatus loadTree(DbConnection& db, TreeKind tree, const RegionEntry& region, std::vector<TreeNode>& out);

} // namespace trellum
