// Everything of the library: the graph store, every algorithm family and
// Graph<T, W>, which offers them all by node name.
#pragma once

#include "graph.hpp"
