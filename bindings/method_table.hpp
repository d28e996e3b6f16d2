// Every public Python method of Graph and Edge, declared once: its name,
// its parameters (kind, default, the type the stubs show), the type it
// returns in the stubs, and its docstring. The declaration drives the
// argument parser (arguments.hpp), the text signature and docstring, and
// the signature inspect reads (signatures.hpp);
// tests/python/test_method_table.py checks the stubs against it, parameter
// by parameter. A new method adds one entry here and one line binding it
// to its function in graph_type.hpp.
#pragma once

#include <cstddef>
#include <initializer_list>

namespace tarvel_python {

// How a parameter may be given: by position only, by position or keyword,
// by keyword only. Within a method the kinds come in this order.
enum class Kind { Positional, Either, Keyword };

struct Parameter {
    const char* name;
    Kind kind;
    const char* fallback;     // the default, a Python expression read in the module; nullptr: required
    const char* type;         // the annotation in the stubs
    const char* whenMissing;  // the TypeError's text when it is required and missing; nullptr: the usual one

    constexpr Parameter(const char* name_, Kind kind_, const char* fallback_, const char* type_,
                        const char* whenMissing_ = nullptr)
        : name(name_), kind(kind_), fallback(fallback_), type(type_), whenMissing(whenMissing_) {}
};

// Flags of a method.
inline constexpr int Static = 1;      // a static method: no self
inline constexpr int PlainCount = 2;  // too many positional arguments reads "takes at most N arguments", as
                                      // before its keyword-only parameters existed

struct Method {
    const char* name;
    std::initializer_list<Parameter> parameters;
    const char* returns;  // the return type in the stubs
    const char* summary;  // the docstring's first line
    const char* details;  // the docstring's paragraphs after it ("" for none)
    int flags;

    constexpr std::size_t size() const { return parameters.size(); }
    constexpr const Parameter& at(std::size_t k) const { return parameters.begin()[k]; }
    constexpr bool isStatic() const { return (flags & Static) != 0; }
    // The parameters before the first that may be given by keyword.
    constexpr std::size_t positionalOnly() const {
        std::size_t k = 0;
        while (k < size() && at(k).kind == Kind::Positional) ++k;
        return k;
    }
    // The parameters before the first keyword-only one.
    constexpr std::size_t beforeKeywordOnly() const {
        std::size_t k = 0;
        while (k < size() && at(k).kind != Kind::Keyword) ++k;
        return k;
    }
    // Whether inspect can read the text signature CPython makes of the
    // docstring: every default a literal, no required parameter after a
    // defaulted one. Otherwise the method is a SignedMethod (signatures.hpp).
    constexpr bool textSignatureReadable() const {
        for (const Parameter& p : parameters) {
            if (p.fallback != nullptr && !isLiteral(p.fallback)) return false;
        }
        return !requiredAfterDefault();
    }
    static constexpr bool isLiteral(const char* text) {
        const char c = text[0];
        return (c >= '0' && c <= '9') || c == '-' || c == '\'' || c == '"' || same(text, "None") ||
               same(text, "True") || same(text, "False");
    }
    static constexpr bool same(const char* a, const char* b) {
        while (*a != '\0' && *a == *b) ++a, ++b;
        return *a == *b;
    }
    // A required parameter after a defaulted one that is not keyword-only
    // (shortestPath's heuristic): inspect.Signature refuses such a list.
    constexpr bool requiredAfterDefault() const {
        bool defaulted = false;
        for (const Parameter& p : parameters) {
            if (p.fallback != nullptr) defaulted = true;
            else if (defaulted && p.kind != Kind::Keyword) return true;
        }
        return false;
    }
};

namespace table {

inline constexpr Kind Positional = Kind::Positional, Either = Kind::Either, Keyword = Kind::Keyword;

// ---- Graph -------------------------------------------------------------------

inline constexpr Method graph{"Graph",
    {{"directed", Either, nullptr, "bool"},
     {"weightType", Keyword, "int", "Type[int]"}},
    "None",
    "A directed or undirected graph of named nodes joined by weighted edges.",
    "weightType: int for 32-bit integer weights (exact sums), float for double weights. Nodes keep the order "
     "in which they were added; every result follows that order. O(1).", 0};

inline constexpr Method addNode{"addNode",
    {{"name", Positional, nullptr, "_Name"}},
    "None",
    "Add a node.",
    "Raises RuntimeError 'duplicate nodes are not allowed' for a name already present. Amortised O(1).", 0};

inline constexpr Method hasNode{"hasNode",
    {{"name", Positional, nullptr, "_Name"}},
    "bool",
    "True when the name is a node. O(1).",
    "", 0};

inline constexpr Method addEdge{"addEdge",
    {{"src", Either, nullptr, "_Name"},
     {"dest", Either, nullptr, "_Name"},
     {"weight", Either, "0", "_W"}},
    "None",
    "Add an edge from src to dest (both ways in an undirected graph).",
    "Parallel edges and self-loops are kept. weight: an int of 32 bits, or for a graph of weightType=float a "
     "float or an int a double holds exactly. Raises IndexError naming a name that is not a node, TypeError, "
     "OverflowError or ValueError for a weight the graph cannot hold; the graph is then unchanged. Amortised "
     "O(1).", 0};

inline constexpr Method hasCycle{"hasCycle",
    {},
    "bool",
    "True when a depth-first search meets an edge back to a node on its path.",
    "An undirected edge counts as a cycle of two. O(V + E).", 0};

inline constexpr Method nodeColoring{"nodeColoring",
    {},
    "Dict[str, int]",
    "Greedy first-fit colors 0, 1, ... in node order, each node avoiding its colored neighbors.",
    "Returns a dict in node order. O(V + E).", 0};

inline constexpr Method edgeColoring{"edgeColoring",
    {},
    "Dict[Tuple[str, str], int]",
    "Greedy first-fit edge colors 1, 2, ..., keyed by (name, name) in node-index order for undirected edges.",
    "Returns a dict in the order the edges were first colored. O(E × largest degree).", 0};

inline constexpr Method isBipartite{"isBipartite",
    {},
    "bool",
    "True when the graph, taken as undirected, has no cycle of odd length (a self-loop is one). O(V + E).",
    "", 0};

inline constexpr Method connectedComponents{"connectedComponents",
    {},
    "List[List[str]]",
    "Groups found by breadth-first searches from the lowest-numbered unplaced node, following edge direction.",
    "Returns a list of lists in that order. O(V + E).", 0};

inline constexpr Method weaklyConnectedComponents{"weaklyConnectedComponents", {}, "List[List[str]]",
    "The groups connectedComponents finds in the graph taken as undirected, in its order.",
    "A node's neighbors are its out-edges, then the sources of its in-edges in the order they were added; on "
     "an undirected graph the result is connectedComponents(). Returns a list of lists. O(V + E).", 0};

inline constexpr Method katzCentrality{"katzCentrality",
    {{"alpha", Either, "0.1", "float"},
     {"beta", Either, "1.0", "float"},
     {"max_iterations", Either, "1000", "int"},
     {"tolerance", Either, "1e-06", "float"},
     {"threads", Keyword, "None", "Optional[int]"},
     {"progress", Keyword, "None", "_Progress"}},
    "Dict[str, float]",
    "Katz scores: iterate x = alpha * (sum over the nodes each node points to) + beta, rescaled to unit "
     "length, until the L1 change is below tolerance or max_iterations steps.",
    "Returns a dict in node order. threads: how many threads make each step's sums (None: every usable core; "
     "at most one per core of the process's affinity mask; the numbers are the same for any count). "
     "progress(done, total): called a few times a second with the steps done and max_iterations; what it "
     "raises stops the computation. O(steps × (V + E)).", 0};

inline constexpr Method degreeCentrality{"degreeCentrality",
    {},
    "Dict[str, float]",
    "Number of adjacency entries per node (out-degree; edge ends when undirected).",
    "Returns a dict in node order. O(V).", 0};

inline constexpr Method closenessCentrality{"closenessCentrality",
    {{"nodes", Keyword, "None", "Optional[Iterable[_Name]]"},
     {"weighted", Keyword, "False", "bool"},
     {"threads", Keyword, "None", "Optional[int]"},
     {"progress", Keyword, "None", "_Progress"}},
    "Dict[str, float]",
    "1 / (sum of hop distances to the nodes a node reaches), 0.0 when it reaches none.",
    "Returns a dict in node order: every node's score, or with nodes (an iterable of names) those nodes' only, "
     "each the same to the bit as in the whole call; a name given twice raises ValueError, an unknown one "
     "IndexError. weighted: the distances are the least sums of edge weights (Dijkstra; exact for int weights; "
     "0.0 when the sum is 0); a negative weight raises ValueError. threads: how many threads search (None: every usable core; at most one per core of the "
     "process's affinity mask; the numbers are the same for any count). progress(done, total): called a few "
     "times a second with the nodes done and the nodes asked for; what it raises stops the computation. O(V × "
     "(V + E)), O(K × (V + E)) for K nodes; weighted O(V × (V + E) log E).", 0};

inline constexpr Method betweennessCentrality{"betweennessCentrality",
    {{"sources", Keyword, "None", "Optional[Iterable[_Name]]"},
     {"weighted", Keyword, "False", "bool"},
     {"threads", Keyword, "None", "Optional[int]"},
     {"progress", Keyword, "None", "_Progress"}},
    "Dict[str, float]",
    "Unnormalised betweenness over hop-count shortest paths; parallel edges are distinct paths and undirected "
     "pairs count from both ends.",
    "Returns a dict in node order. sources (an iterable of names, None for every node): only the paths from "
     "those sources count, summed in node order whatever order they are given in; the parts of a partition of "
     "the nodes sum to the whole but for rounding (within about 2(V - 1) x 2**-53 relatively); a name given "
     "twice raises ValueError, an unknown one IndexError. weighted: over least-weight paths (Dijkstra; exact for "
     "int weights, float ties by equality of the sums; parallel edges of equal least weight are distinct paths; "
     "across zero-weight steps a path counts while each node on it is first reached in fewer edges than the "
     "next); a negative weight raises ValueError. threads: how many threads search (None: every usable "
     "core; at most one per core of the process's affinity mask; the numbers are the same for any count). "
     "progress(done, total): called a few times a second with the sources done and the sources asked for; what "
     "it raises stops the computation. O(V × (V + E)), O(K × (V + E)) for K sources; weighted O(V × (V + E) log E).", 0};

inline constexpr Method reachSums{"reachSums",
    {{"weighted", Keyword, "False", "bool"},
     {"threads", Keyword, "None", "Optional[int]"},
     {"progress", Keyword, "None", "_Progress"}},
    "Dict[str, Tuple[int, Union[int, float]]]",
    "For each node, (the number of other nodes it reaches, the sum of their hop distances), both exact ints: "
     "the raw quantities of closeness in any normalisation.",
    "Returns a dict in node order. Follows edge direction; on the reversed graph it gives incoming distances. "
     "weighted: the sum of the least-weight distances instead, added in ascending order: an exact int for int "
     "weights, a float for float weights (added with the compensation Python's sum() of floats applies from "
     "3.12 on); a negative weight raises ValueError. "
     "threads: how many threads search (None: every usable core; at most one per core of the process's "
     "affinity mask; the numbers are the same for any count). progress(done, total): called a few times a "
     "second with the nodes done and the node count; what it raises stops the computation. O(V × (V + E)); "
     "weighted O(V × (V + E) log E).", 0};

inline constexpr Method incomingKatzCentrality{"incomingKatzCentrality",
    {{"alpha", Either, "0.1", "float"},
     {"beta", Either, "1.0", "Union[float, Dict[str, float]]"},
     {"max_iterations", Either, "1000", "int"},
     {"tolerance", Either, "1e-06", "float"},
     {"start", Keyword, "None", "Optional[Dict[str, float]]"},
     {"weighted", Keyword, "False", "bool"},
     {"normalized", Keyword, "True", "bool"},
     {"threads", Keyword, "None", "Optional[int]"},
     {"progress", Keyword, "None", "_Progress"}},
    "Dict[str, float]",
    "Katz scores over incoming edges: from start (0 everywhere when None), iterate x[v] = alpha * (sum of x[u] "
     "over the edges u -> v, each times its weight when weighted) + beta[v], the terms in node order, until "
     "the L1 change is below V * tolerance; then, when normalized, scale to unit Euclidean length.",
    "Returns a dict in node order. An undirected edge comes in at both ends, a self-loop once. beta and start: "
     "a number for every node, or a dict with a number for each node's name and nothing else (ValueError "
     "otherwise). Raises RuntimeError 'Katz centrality did not converge in N iterations' when max_iterations "
     "steps do not converge. threads: how many threads make each step's sums (None: every usable core; the "
     "numbers are the same for any count). progress(done, total): called a few times a second with the steps "
     "done and max_iterations; what it raises stops the computation. O(steps × (V + E)).", 0};

inline constexpr Method pageRank{"pageRank",
    {{"alpha", Either, "0.85", "float"},
     {"personalization", Keyword, "None", "Optional[Dict[str, float]]"},
     {"start", Keyword, "None", "Optional[Dict[str, float]]"},
     {"dangling", Keyword, "None", "Optional[Dict[str, float]]"},
     {"max_iterations", Keyword, "100", "int"},
     {"tolerance", Keyword, "1e-06", "float"},
     {"weighted", Keyword, "False", "bool"},
     {"threads", Keyword, "None", "Optional[int]"},
     {"progress", Keyword, "None", "_Progress"}},
    "Dict[str, float]",
    "PageRank by power iteration: x[v] = alpha * (sum of x[u] * share(u, v) over the edges u -> v + (the sum "
     "of x over dangling nodes) * dangling[v]) + (1 - alpha) * personalization[v], until the L1 change is below "
     "V * tolerance.",
    "Returns a dict in node order. share(u, v): the weight of u's edges to v (1 each unless weighted; parallel "
     "edges add up) over u's total; an undirected edge leads both ways, a self-loop once; a node whose total is "
     "0 dangles. personalization, start and dangling: dicts of numbers by name, 0 for the nodes left out, each "
     "scaled to sum 1 (None: 1/V everywhere for the first two, personalization for dangling); an unknown name "
     "raises IndexError, a personalization summing to 0 ValueError. Sums are numpy's pairwise sums, each node's "
     "terms in node order. Raises RuntimeError 'PageRank did not converge in N iterations' when max_iterations "
     "steps do not converge. threads: how many threads make each step's sums (None: every usable core; the "
     "numbers are the same for any count). progress(done, total): called a few times a second with the steps "
     "done and max_iterations; what it raises stops the computation. O(E log E + steps × (V + E)).", 0};

inline constexpr Method harmonicCentrality{"harmonicCentrality",
    {{"nodes", Keyword, "None", "Optional[Iterable[_Name]]"},
     {"sources", Keyword, "None", "Optional[Iterable[_Name]]"},
     {"weighted", Keyword, "False", "bool"},
     {"threads", Keyword, "None", "Optional[int]"},
     {"progress", Keyword, "None", "_Progress"}},
    "Dict[str, float]",
    "The sum of 1 / d over the nodes a node reaches at hop distance d > 0.",
    "Returns a dict in node order: every node's score, or with nodes (an iterable of names) those nodes' only, "
     "each the same to the bit as in the whole call; a name given twice raises ValueError, an unknown one "
     "IndexError. sources (an iterable of names, None for every node): only those nodes count as far ends "
     "(repeats once). Terms are added in ascending order of d; follows edge direction (on the reversed graph, "
     "the nodes that reach a node). weighted: d is the least sum of edge weights (Dijkstra; nodes at distance 0 "
     "count for nothing); a negative weight raises ValueError. threads: how many threads search (None: every "
     "usable core; the numbers are the same for any count). progress(done, total): called a few times a second "
     "with the nodes done and the nodes asked for; what it raises stops the computation. O(K × (V + E)) for K "
     "nodes; weighted O(K × (V + E) log E).", 0};

inline constexpr Method minimumSpanningTree{"minimumSpanningTree",
    {{"method", Either, "tarvel.KRUSKAL", "MSTAlgo"}},
    "List[Edge[_W]]",
    "A minimum spanning forest as a list of new Edge objects.",
    "The graph is taken as undirected; each edge comes back in the direction it is stored. KRUSKAL: ascending "
     "(weight, source, target), every component. PRIM: the tree of the first node's component, in joining "
     "order. BORUVKA: every component, phase by phase. O(E log E).", 0};

inline constexpr Method iterativeDFS{"iterativeDFS",
    {{"start", Positional, nullptr, "_Name"}},
    "List[str]",
    "Nodes reachable from start, in the order an explicit stack releases them (neighbors pushed in insertion "
     "order).",
    "Raises IndexError when start is not a node. O(V + E).", 0};

// ---- Edge traversals and cycles --------------------------------------------
inline constexpr Method edgeDepthFirst{"edgeDepthFirst",
    {{"sources", Either, "None", "Optional[Iterable[_Name]]"},
     {"orientation", Keyword, "'original'", "Optional[str]"},
     {"symmetric", Keyword, "False", "bool"}},
    "List[Tuple[str, str, int, bool]]",
    "Every edge reachable from the sources, each once, in the order a depth-first search over edges takes them.",
    "Each step is (tail, head, index, reverse): the edge tail -> head as stored (undirected: the way it was "
     "taken), its index in edges() order (so parallel edges differ), and True when it was taken from head to "
     "tail. sources: an iterable of names searched from in turn (repeats add nothing); None for every node in "
     "node order. The node on top of a stack takes its next step, an edge not taken yet, and its far node is "
     "pushed (a node entered before goes on where it stopped); a node without steps left is popped. A node's "
     "steps: orientation 'original' (or None) its edges in insertion order; 'reverse' its incoming edges, by "
     "tail in node order (each tail's edges in insertion order), taken backwards; 'ignore' both, outgoing "
     "first. An undirected graph takes each edge once, in the direction first met, whatever the orientation. "
     "symmetric=True reads a directed graph that holds both directions of each edge as undirected: the k-th "
     "edge u -> v and the k-th edge v -> u are one edge, a self-loop is an edge of its own. Raises IndexError "
     "for an unknown source, ValueError for another orientation. O(V + E).", 0};

inline constexpr Method edgeBreadthFirst{"edgeBreadthFirst",
    {{"sources", Either, "None", "Optional[Iterable[_Name]]"},
     {"orientation", Keyword, "'original'", "Optional[str]"},
     {"symmetric", Keyword, "False", "bool"}},
    "List[Tuple[str, str, int, bool]]",
    "Every edge reachable from the sources, each once, in the order a breadth-first search over edges takes "
     "them.",
    "Steps, sources, orientation and symmetric as for edgeDepthFirst(). The sources are queued first; each node "
     "taken from the queue gives every step of its own over an edge not taken yet, and queues each node it "
     "reaches the first time. Raises IndexError for an unknown source, ValueError for another orientation. "
     "O(V + E).", 0};

inline constexpr Method findCycle{"findCycle",
    {{"sources", Either, "None", "Optional[Iterable[_Name]]"},
     {"orientation", Keyword, "'original'", "Optional[str]"},
     {"symmetric", Keyword, "False", "bool"}},
    "List[Tuple[str, str, int, bool]]",
    "The first cycle a depth-first edge search from the sources runs into, as its steps; [] when there is none.",
    "Steps, sources, orientation and symmetric as for edgeDepthFirst(); each step's far node is the next "
     "step's near node, the last leads back to the first. Each source not reached by an earlier one is "
     "searched on its own, passing over the nodes earlier searches reached; a step leaving another node than "
     "the last one reached first drops the path's steps back to that node, and a step into a node on the path "
     "closes the cycle. A self-loop is a cycle; in an undirected graph two parallel edges are one, the edge "
     "taken back is not. Raises IndexError for an unknown source, ValueError for another orientation. "
     "O(V + E).", 0};

// Breadth-first and depth-first traversals.
inline constexpr Method breadthFirstEdges{"breadthFirstEdges",
    {{"sources", Positional, nullptr, "Union[_Name, Iterable[_Name]]"},
     {"depthLimit", Either, "None", "Optional[int]"},
     {"reverse", Either, "False", "bool"}},
    "List[Tuple[str, str]]",
    "The edges (u, v) of a breadth-first search tree from sources, as each v is first reached.",
    "sources: a name or an iterable of names, all at depth 0 in the order given (a repeated one counts once). "
     "The search takes the nodes level by level in the order it reached them, each node's neighbors in "
     "insertion order; reverse: in a directed graph it follows edges backwards, a node's in-neighbors in node "
     "order (within a node, in the order its edges were added). depthLimit (None, or an int of at least 0): "
     "edges end at most that many hops from the sources. Self-loops and parallel edges add no edge. Raises "
     "IndexError for an unknown source. O(V + E).", 0};

inline constexpr Method breadthFirstLayers{"breadthFirstLayers",
    {{"sources", Positional, nullptr, "Union[_Name, Iterable[_Name]]"},
     {"depthLimit", Either, "None", "Optional[int]"}},
    "List[List[str]]",
    "The nodes by hop distance from the nearest source: layer 0 the sources, then each layer in search order.",
    "sources: a name or an iterable of names, in the order given (a repeated one counts once). Each layer "
     "holds the nodes first reached from the one before, in the order breadthFirstEdges reaches them; "
     "depthLimit (None, or an int of at least 0): the layers up to that many hops. Raises IndexError for an unknown source. O(V + E).", 0};

inline constexpr Method depthFirstLabeledEdges{"depthFirstLabeledEdges",
    {{"sources", Positional, "None", "Union[None, _Name, Iterable[_Name]]"},
     {"depthLimit", Either, "None", "Optional[int]"},
     {"labels", Keyword, "None", "Optional[Iterable[str]]"}},
    "List[Tuple[str, str, str]]",
    "The steps of a depth-first search, each (u, v, label), in the order the search takes them.",
    "A search from each source in turn (None: every node in node order) that no earlier one reached: (s, s, "
     "'forward') as it starts; for each neighbor v of the node u on top of the stack, in insertion order, (u, "
     "v, 'forward') when v is new, then v is entered, or, when v is depthLimit hops from s, left at once: (u, "
     "v, 'reverse-depth_limit'); (u, v, 'nontree') when v was reached before (self-loops, parallel edges, an "
     "undirected edge read from its second end); (u, v, 'reverse') when every neighbor of v is read; (s, s, "
     "'reverse') at the end. depthLimit: None or an int of at least 0 (0 acts as 1). labels: keep only the "
     "steps with these labels. Raises IndexError for an unknown source, ValueError for an unknown label. "
     "O(V + E).", 0};

inline constexpr Method topologicalOrder{"topologicalOrder",
    {{"rank", Keyword, "None", "Optional[Sequence[int]]"}},
    "List[str]",
    "Every node, each edge leading from an earlier node to a later one, by Kahn's method with a first-in-first-out "
     "queue.",
    "The nodes without incoming edges first, in node order, then each node as its last incoming edge is taken "
     "(parallel edges each count): topologicalGenerations() one after another. rank: one int per node in node "
     "order; then among the nodes ready the least rank comes first (equal ranks in node order). Raises "
     "RuntimeError 'a topological order is defined for directed graphs only' for an undirected graph, "
     "RuntimeError 'the graph has a cycle through NAME' naming the first node in node order that lies on a "
     "cycle (a self-loop is one), ValueError when rank does not hold one int per node. O(V + E), with rank "
     "O(V log V + E).", 0};

inline constexpr Method topologicalGenerations{"topologicalGenerations",
    {},
    "List[List[str]]",
    "The generations of topologicalOrder(): first the nodes without incoming edges, in node order, then the "
     "nodes each generation makes ready, in the order they become ready.",
    "Each node sits in the earliest generation it can: one past its latest predecessor's. Raises RuntimeError "
     "as topologicalOrder() does. Returns a list of lists. O(V + E).", 0};

inline constexpr Method descendants{"descendants",
    {{"source", Positional, nullptr, "_Name"}},
    "List[str]",
    "The nodes reachable from source by one edge or more, in breadth-first order (out-edges in insertion "
     "order).",
    "source itself is left out, also when a cycle leads back to it; on an undirected graph the other nodes of "
     "its component. Raises IndexError when source is not a node. O(V + E).", 0};

inline constexpr Method ancestors{"ancestors",
    {{"source", Positional, nullptr, "_Name"}},
    "List[str]",
    "The nodes from which source is reachable by one edge or more, in breadth-first order over incoming edges "
     "(a node's predecessors in node order).",
    "source itself is left out, also when a cycle leads back to it; on an undirected graph descendants(source). "
     "Raises IndexError when source is not a node. O(V + E).", 0};

inline constexpr Method shortestPath{"shortestPath",
    {{"start", Either, nullptr, "_Name"},
     {"goal", Either, nullptr, "_Name"},
     {"method", Either, "A_STAR", "ShortestPathAlgo"},
     {"heuristic", Either, nullptr, "Optional[Callable[[str, str], float]]",
      "shortestPath() needs its heuristic argument: a callable for A_STAR, or None for the searches that need "
       "none (BFS, DIJKSTRA, UNIFORM_COST_SEARCH, BELLMAN_FORD)"},
     {"consistent", Keyword, "False", "bool"}},
    "List[str]",
    "A path from start to goal as a list of names, [] when goal is unreachable, [start] when both names are "
     "equal.",
    "heuristic(name, neighbor) -> float is called by A_STAR once per improved neighbor; it must always be "
     "given: None for the other methods. Distances are exact. consistent=True (A_STAR) promises that the "
     "estimate depends on neighbor only and never exceeds an edge's weight plus the estimate at its far end: "
     "the search then stops when goal leaves the queue and calls the heuristic at most once per node, and "
     "returns the same path when weights and estimates are whole numbers below 2**53 (else the weight may "
     "exceed the least by rounding; a broken promise gives a path that may not be shortest). Raises IndexError "
     "for a name that is not a node, RuntimeError 'Negative cycle detected' for a reachable cycle of negative "
     "weight and ValueError when the heuristic returns NaN. BFS O(V + E); DIJKSTRA, A_STAR, "
     "UNIFORM_COST_SEARCH O(E log V) without negative edges; BELLMAN_FORD O(V × E).", PlainCount};

inline constexpr Method stronglyConnectedComponents{"stronglyConnectedComponents",
    {{"method", Either, "tarvel.TARJAN", "SCCAlgo"}},
    "List[List[str]]",
    "Strongly connected components of a directed graph: TARJAN in reverse topological order, KOSARAJU in "
     "topological order.",
    "Raises RuntimeError 'implemented only for directed graph' for an undirected graph. O(V + E).", 0};

inline constexpr Method twoEndedBfsPath{"twoEndedBfsPath",
    {{"start", Either, nullptr, "_Name"},
     {"goal", Either, nullptr, "_Name"},
     {"symmetric", Keyword, "False", "bool"},
     {"backward", Keyword, "None", "Optional[Graph[Any]]"}},
    "List[str]",
    "A path of fewest edges from start to goal found from both ends: [] when goal is unreachable, [start] "
     "when both are the same node.",
    "Two breadth-first sides grow a whole level at a time, the start side while its fringe (the nodes its last "
     "level found) is no larger than the goal side's; each expands its fringe in discovery order, the start side "
     "over the out-edges in insertion order, the goal side over the edges into a node (their sources in node "
     "order) or, with symmetric=True or on an undirected graph, over the node's own edges in insertion order. "
     "The first neighbor read that the other side holds joins the two halves. symmetric=True promises that "
     "the graph holds both directions of every edge. backward: a graph of the same node count whose node k's "
     "edges give, in their order, the nodes with an edge into node k (of this graph's node k): the goal side "
     "reads those lists instead (a predecessor order of your own); ValueError when the counts differ. Raises "
     "IndexError for an unknown name (start first). "
     "O(V + E) at most, usually the levels near the two ends; a directed graph's first call without "
     "symmetric makes its incoming lists.", 0};

inline constexpr Method nodesWithin{"nodesWithin",
    {{"source", Either, nullptr, "_Name"},
     {"depth", Either, nullptr, "int"}},
    "List[str]",
    "The nodes at most depth edges from source, in the order a breadth-first search from source discovers them "
     "(source first; out-edges in insertion order).",
    "depth is an int from 0 (giving [source]) up. Raises IndexError for an unknown source, OverflowError for a "
     "negative depth. Reads only the edges of the nodes within depth - 1 edges, plus O(V) memory.", 0};

inline constexpr Method save{"save",
    {{"filename", Positional, nullptr, "_Path"}},
    "None",
    "Write the graph to a JSON file, replacing it atomically (through symbolic links, which stay links; a "
     "device or FIFO is written into, waiting for its reader).",
    "filename: str, bytes or os.PathLike. Raises an OSError that is also a RuntimeError "
     "(GraphFileNotFoundError, ...) when the file cannot be written, RuntimeError when a name is not valid "
     "UTF-8; the old file is then untouched. ValueError for a name holding a NUL character. O(V + E).", 0};

inline constexpr Method load{"load",
    {{"filename", Positional, nullptr, "_Path"},
     {"weightType", Keyword, "int", "Type[int]"}},
    "Graph[int]",
    "Read a graph written by save and return it as a new Graph of the given weight type (the file records "
     "none).",
    "A regular file is read whole; anything else (a FIFO, a device) is read as it arrives, up to the end of "
     "the first JSON value. Raises an OSError that is also a RuntimeError for a file that cannot be opened or "
     "read (GraphFileNotFoundError, GraphFileIsADirectoryError, GraphFilePermissionError, GraphFileError), "
     "RuntimeError with the JSON error for malformed files and for a fractional weight in a graph of integer "
     "weights, IndexError for an edge naming an unknown node, ValueError for a name holding a NUL character, "
     "MemoryError when memory runs out. O(V + E).", Static};

inline constexpr Method addNodes{"addNodes",
    {{"names", Positional, nullptr, "Iterable[_Name]"}},
    "None",
    "Add every name of an iterable, in order, all or nothing.",
    "An item that addNode would refuse (a duplicate, also within the batch, or a name of the wrong type) "
     "raises what addNode raises, its message starting 'item K: ' (K counting from 0); the graph is then "
     "unchanged. Amortised O(1) per name.", 0};

inline constexpr Method addEdges{"addEdges",
    {{"edges", Positional, nullptr, "Iterable[Union[Tuple[_Name, _Name], Tuple[_Name, _Name, _W]]]"}},
    "None",
    "Add every edge of an iterable of (src, dest) or (src, dest, weight), in order, all or nothing.",
    "An item that addEdge would refuse (an unknown name, a weight of the wrong type or range) raises what "
     "addEdge raises, its message starting 'item K: ' (K counting from 0); the graph is then unchanged. O(B "
     "log B) for B edges.", 0};

inline constexpr Method nodes{"nodes",
    {},
    "List[str]",
    "The names of the nodes in node order (the order they were added). O(V).",
    "", 0};

inline constexpr Method edges{"edges",
    {},
    "List[Edge[_W]]",
    "One Edge per successful addEdge call, in call order and in the direction of the call: parallel edges and "
     "self-loops included, an undirected edge once.",
    "O(E).", 0};

inline constexpr Method neighbors{"neighbors",
    {{"name", Positional, nullptr, "_Name"}},
    "List[Tuple[str, _W]]",
    "The adjacency list of a node as (name, weight) pairs in insertion order: its out-edges in a directed "
     "graph; in an undirected one every edge at the node, a self-loop twice.",
    "Raises IndexError when the name is not a node. O(degree).", 0};

inline constexpr Method nodeCount{"nodeCount",
    {},
    "int",
    "The number of nodes. O(1).",
    "", 0};

inline constexpr Method edgeCount{"edgeCount",
    {},
    "int",
    "The number of successful addEdge calls, parallel edges and self-loops included. O(1).",
    "", 0};

inline constexpr Method pathWeight{"pathWeight",
    {{"path", Positional, nullptr, "Sequence[_Name]"}},
    "_W",
    "The total weight along a path given as a list of L names: for each pair of consecutive names the least "
     "weight of the edges joining them (in a directed graph, leading the path's way); 0 for fewer than two "
     "names.",
    "Raises IndexError for a name that is not a node (every name is looked up first), ValueError 'item K: no "
     "edge from A to B' ('between A and B' when undirected) for the first pair that no edge joins. O(L + the "
     "degrees of the path's nodes).", 0};

inline constexpr Method fromNetworkx{"fromNetworkx",
    {{"g", Either, nullptr, "Any"},
     {"weight", Either, "'weight'", "Optional[Hashable]"},
     {"default", Either, "1", "int"},
     {"name", Either, "None", "Optional[Callable[[Any], Union[str, bytes]]]"},
     {"weightType", Keyword, "int", "Type[int]"}},
    "Graph[int]",
    "A new Graph from a networkx graph: its nodes in networkx's order, one edge per edge of g.edges() in that "
     "order, directed when g is.",
    "An edge's weight is its attribute `weight`, else `default` (for every edge when weight is None): for "
     "weightType=int an integer in the 32-bit range or a float of integral value, for weightType=float a "
     "finite float or an integer a double holds exactly; else TypeError, OverflowError or ValueError naming "
     "the edge. A node that is not str or bytes raises TypeError unless name(node) makes it one; two nodes of "
     "one name raise RuntimeError 'duplicate nodes are not allowed'. O(V + E).", Static};

inline constexpr Method toNetworkx{"toNetworkx",
    {},
    "Any",
    "A new networkx MultiGraph (MultiDiGraph when directed): the nodes in node order, then one edge per "
     "addEdge call in call order with its 'weight'. Imports networkx. O(V + E).",
    "", 0};

inline constexpr Method multiSourceDistances{"multiSourceDistances",
    {{"sources", Either, nullptr, "Iterable[_Name]"},
     {"cutoff", Keyword, "None", "Optional[float]"}},
    "Dict[str, _W]",
    "The least distance from any of sources to every node they reach (each source at 0), as a dict in node "
     "order: Dijkstra's search from all of them at once.",
    "A name given twice counts once; no sources reach nothing. cutoff: only the sources and the nodes at most "
     "cutoff away (a NaN cutoff bounds nothing); the search stops beyond it. Ints for a graph of integer "
     "weights, floats for weightType=float. Raises IndexError for an unknown name, RuntimeError 'Negative "
     "cycle detected' when the search meets one. O(E log V) over the part searched.", 0};

inline constexpr Method multiSourcePaths{"multiSourcePaths",
    {{"sources", Either, nullptr, "Iterable[_Name]"},
     {"cutoff", Keyword, "None", "Optional[float]"},
     {"goal", Keyword, "None", "Optional[_Name]"}},
    "Dict[str, List[str]]",
    "The path of every node multiSourceDistances(sources, cutoff=cutoff) holds, from the source it is "
     "nearest, as a dict in node order ([s] for a source s).",
    "Among equally short paths, the one Dijkstra's search keeps when the greatest node index leaves the queue "
     "first among equal distances and only a strictly shorter path replaces a node's. goal: the search stops "
     "when goal is settled and the dict holds goal's path alone (empty when goal is not reached within "
     "cutoff). Errors as multiSourceDistances. O(E log V) over the part searched.", 0};

inline constexpr Method distances{"distances",
    {{"source", Either, nullptr, "_Name"},
     {"method", Either, "tarvel.DIJKSTRA", "ShortestPathAlgo"}},
    "Dict[str, _W]",
    "The distance from source to every node it reaches (itself at 0), as a dict in node order.",
    "method: BFS (hop counts), DIJKSTRA or BELLMAN_FORD; ints for a graph of integer weights and for BFS, "
     "floats for a graph of weightType=float. For every reached node t but the source, distances(s)[t] is "
     "pathWeight(shortestPath(s, t, method, None)). Raises IndexError for an unknown source, ValueError for "
     "UNIFORM_COST_SEARCH and A_STAR, RuntimeError 'Negative cycle detected' when one is reachable. One "
     "search: BFS O(V + E), DIJKSTRA O(E log V) without negative weights, BELLMAN_FORD O(V × E).", 0};

inline constexpr Method shortestPaths{"shortestPaths",
    {{"source", Either, nullptr, "_Name"},
     {"method", Either, "tarvel.DIJKSTRA", "ShortestPathAlgo"}},
    "Dict[str, List[str]]",
    "The path from source to every node it reaches, as a dict in node order ([source] for the source).",
    "Each path is shortestPath(source, t, method, None). Errors as distances. One search: BFS O(V + E), "
     "DIJKSTRA O(E log V) without negative weights, BELLMAN_FORD O(V × E); the dict holds O(sum of the path "
     "lengths) names, up to O(V²): predecessors is the compact form.", 0};

inline constexpr Method predecessors{"predecessors",
    {{"source", Either, nullptr, "_Name"},
     {"method", Either, "tarvel.DIJKSTRA", "ShortestPathAlgo"}},
    "Dict[str, str]",
    "The node before each node on its path from source, for every reached node but the source, as a dict in "
     "node order.",
    "Errors as distances. One search: BFS O(V + E), DIJKSTRA O(E log V) without negative weights, BELLMAN_FORD "
     "O(V × E).", 0};

inline constexpr Method hasEdge{"hasEdge",
    {{"source", Either, nullptr, "_Name"},
     {"destination", Either, nullptr, "_Name"}},
    "bool",
    "True when an edge joins source to destination (in either direction in an undirected graph); False when "
     "either name is not a node. O(degree).",
    "", 0};

// ---- Triangles and clustering ----------------------------------------------------

inline constexpr Method triangles{"triangles",
    {{"nodes", Keyword, "None", "Optional[Iterable[_Name]]"}},
    "Dict[str, int]",
    "The number of triangles through each node: pairs of its neighbors that are neighbors of each other.",
    "Neighbors are the distinct other nodes an edge joins a node to: parallel edges count once, self-loops "
     "never, and a directed graph is taken as undirected. Returns a dict in node order, or with nodes (an "
     "iterable of names) in their order, each count the same as in the whole call; a name given twice raises "
     "ValueError, an unknown one IndexError. O(E^1.5); with nodes O(V + the list lengths of their neighbors).",
    0};

inline constexpr Method clustering{"clustering",
    {{"nodes", Keyword, "None", "Optional[Iterable[_Name]]"}},
    "Dict[str, float]",
    "The clustering coefficient of each node: 2T / (d(d - 1)) for T triangles and d neighbors, 0.0 in no "
     "triangle.",
    "Neighbors and triangles as triangles() counts them; the quotient of the two integers is rounded once to "
     "the nearest float, as int / int is. Returns a dict in node order, or with nodes in their order (errors "
     "as triangles()). O(E^1.5); with nodes O(V + the list lengths of their neighbors).", 0};

inline constexpr Method averageClustering{"averageClustering",
    {{"nodes", Keyword, "None", "Optional[Iterable[_Name]]"},
     {"count_zeros", Keyword, "True", "bool"}},
    "float",
    "The mean of the clustering coefficients of every node (of nodes, in their order), the zeros left out "
     "unless count_zeros.",
    "The coefficients are added in order as this interpreter's sum() adds floats (compensated from Python "
     "3.12 on), so the result is sum(c) / len(c) of those values to the bit. Raises ValueError when no value "
     "is left to average, and as triangles() for nodes. O(E^1.5); with nodes O(V + the list lengths of their "
     "neighbors).", 0};

inline constexpr Method transitivity{"transitivity",
    {},
    "float",
    "Three times the triangles over the paths of two edges: sum(2T) / sum(d(d - 1)) over the nodes, rounded "
     "once; 0.0 without a triangle.",
    "Neighbors and triangles as triangles() counts them. O(E^1.5).", 0};

// ---- Distances from each source and the eccentricity family -------------------

inline constexpr Method distancesFromEach{"distancesFromEach",
    {{"sources", Either, nullptr, "Iterable[_Name]"},
     {"method", Either, "tarvel.BFS", "ShortestPathAlgo"},
     {"threads", Keyword, "None", "Optional[int]"}},
    "List[Dict[str, _W]]",
    "For each source in turn, the distance to every node it reaches, as a dict in the order the search "
     "reaches them.",
    "Returns one dict per source, in the order given (a source may repeat): the source first at 0. method: "
     "BFS, hop counts as ints in breadth-first order (neighbors in the order they were added); DIJKSTRA, the "
     "least weight sums (ints for integer weights, floats for weightType=float) in the order the search "
     "settles them: the least distance first, among equal distances the node whose distance was found first. "
     "To walk every source without holding every row, pass the sources a batch at a time. threads: how many "
     "threads search (None: every usable core; at most one per core of the process's affinity mask; the rows "
     "are the same for any count). Raises IndexError for an unknown source, ValueError for another method or "
     "for DIJKSTRA on a graph with a negative weight (before any search). O(K × (V + E)) for K sources; "
     "DIJKSTRA O(K × (V + E log E)).", 0};

inline constexpr Method eccentricity{"eccentricity",
    {{"nodes", Keyword, "None", "Optional[Iterable[_Name]]"},
     {"weighted", Keyword, "False", "bool"},
     {"threads", Keyword, "None", "Optional[int]"}},
    "Dict[str, _W]",
    "The largest distance from each node to the others: hop counts, or with weighted the least weight sums.",
    "Returns a dict in node order, or with nodes (an iterable of names) in their order; a name given twice "
     "raises ValueError, an unknown one IndexError. Raises RuntimeError 'an eccentricity is infinite: the "
     "graph is not connected' ('strongly connected' for a directed graph) when a node asked for does not reach "
     "every node; with weighted, ValueError for a negative weight. threads: how many threads search (None: "
     "every usable core; the numbers are the same for any count). One search per node asked for: O(K × (V + "
     "E)), weighted O(K × (V + E log E)).", 0};

inline constexpr Method diameter{"diameter",
    {{"weighted", Keyword, "False", "bool"},
     {"threads", Keyword, "None", "Optional[int]"}},
    "_W",
    "The largest eccentricity: hop counts, or with weighted the least weight sums.",
    "Raises ValueError for a graph without nodes, and as eccentricity() otherwise. O(V × (V + E)), weighted "
     "O(V × (V + E log E)).", 0};

inline constexpr Method radius{"radius",
    {{"weighted", Keyword, "False", "bool"},
     {"threads", Keyword, "None", "Optional[int]"}},
    "_W",
    "The least eccentricity: hop counts, or with weighted the least weight sums.",
    "Raises as diameter(). O(V × (V + E)), weighted O(V × (V + E log E)).", 0};

inline constexpr Method center{"center",
    {{"weighted", Keyword, "False", "bool"},
     {"threads", Keyword, "None", "Optional[int]"}},
    "List[str]",
    "The nodes whose eccentricity is the radius, in node order.",
    "Raises as diameter(). O(V × (V + E)), weighted O(V × (V + E log E)).", 0};

inline constexpr Method periphery{"periphery",
    {{"weighted", Keyword, "False", "bool"},
     {"threads", Keyword, "None", "Optional[int]"}},
    "List[str]",
    "The nodes whose eccentricity is the diameter, in node order.",
    "Raises as diameter(). O(V × (V + E)), weighted O(V × (V + E log E)).", 0};

// ---- Edge --------------------------------------------------------------------

inline constexpr Method edge{"Edge",
    {{"source", Positional, nullptr, "_Name"},
     {"destination", Positional, nullptr, "_Name"},
     {"weight", Positional, nullptr, "int"}},
    "None",
    "An edge record: source name, destination name and weight (an int of 32 bits or a finite float).",
    "Edges are values: equal when their names and weights are (2 == 2.0), hashable, unpacked as (source, "
     "destination, weight), picklable. O(1).", 0};

inline constexpr Method getSource{"getSource", {}, "str", "The source node's name. O(1).", "", 0};

inline constexpr Method getDestination{"getDestination", {}, "str", "The destination node's name. O(1).", "", 0};

inline constexpr Method getWeight{"getWeight", {}, "_W",
    "The weight: an int (32 bits) or a float, as the edge was made. O(1).", "", 0};

}  // namespace table
}  // namespace tarvel_python
