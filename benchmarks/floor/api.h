// The interface that the benchmark's native libraries export, loaded from
// Python with ctypes: libfloor.so (plain CSR code, the floor) and
// libtarvel_native.so (tarvel's headers, called by index). Both read the
// same files and number the nodes alike, so the same arguments ask both the
// same question.
//
// A handle holds a graph and the answer of the last search on it. A search
// call does the work being timed and keeps its answer in the handle, where
// the untimed calls after it read it, so that a timed call includes no copy
// to Python. Nodes are 32-bit indices in the order of the nodes file.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// Reads the node names (one a line, in index order) and the edge list (one
// "source TAB target TAB weight" a line, in the order the edges were added).
// Returns NULL when they cannot be read; bench_error() then says why.
void* bench_open(const char* nodesPath, const char* edgesPath, int directed);
void bench_close(void* graph);
const char* bench_error(void);

// A path from start to goal with the fewest edges: the number of nodes on
// it, 0 when goal cannot be reached. bench_bfs_two_ended answers the same
// question by searching from both ends (it returns -1 where it is missing).
int64_t bench_bfs(void* graph, uint32_t start, uint32_t goal);
int64_t bench_bfs_two_ended(void* graph, uint32_t start, uint32_t goal);
// A path of least weight from start to goal: the number of nodes on it, 0
// when goal cannot be reached.
int64_t bench_dijkstra(void* graph, uint32_t start, uint32_t goal);
// Copies the last path found, start first, into `nodes`.
void bench_path(void* graph, uint32_t* nodes);

// The strongly connected components: their number.
int64_t bench_scc(void* graph);
// Copies the last components: every node once, component after component,
// into `nodes`, and where each component starts (then the node count) into
// `starts`.
void bench_groups(void* graph, uint32_t* nodes, int64_t* starts);

// A minimum spanning forest of the graph taken as undirected, by Kruskal's
// algorithm: the number of its edges.
int64_t bench_kruskal(void* graph);
// Copies the last forest's edges: their ends into `ends` (two per edge) and
// their weights into `weights`.
void bench_tree(void* graph, uint32_t* ends, int64_t* weights);

#ifdef __cplusplus
}
#endif
