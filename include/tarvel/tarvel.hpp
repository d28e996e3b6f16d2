// Everything of the library: the graph store and all algorithm families.
#pragma once

#include "graph.hpp"
#include "traversal.hpp"
#include "shortest_paths.hpp"
#include "spanning_trees.hpp"
#include "centrality.hpp"
#include "json_file.hpp"
