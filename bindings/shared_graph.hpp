// Sharing one graph between Python threads. Readers and writers never wait
// for each other:
//
// - The contents of a Python Graph are a Version, reached through a
//   reference-counted pointer. A read takes the current version and holds
//   it for its whole length (while it computes, with or without the
//   interpreter lock, and while it makes Python objects of the result); a
//   version that any read holds never changes.
// - A write changes the current version in place when no read holds it.
//   Otherwise it copies it, changes the copy and makes the copy current; the
//   reads go on with the version they hold, which is freed when the last of
//   them ends. So a write costs a copy, O(V + E), once per version that a
//   running read still holds; the writes after it change the new version in
//   place until a read takes that one.
// - A write is prepared first (its names looked up, its batch checked),
//   which may take long and hears Ctrl-C, and then applied, which is quick,
//   hears nothing and cannot fail half way. Between the two, code that runs
//   when the thread looks for signals (a signal handler) may have changed
//   the graph; the write then starts again on the new version.
// - A read started inside a read of the same graph on the same thread (a
//   heuristic or progress callback asking the graph something) uses the
//   outer read's version, and a write on a thread that is reading the same
//   graph is refused: the read would never see it.
//
// The pointer to the current version is only read and replaced holding the
// interpreter lock; a version's count of holding reads is an atomic counter
// (it drops without the interpreter lock, when a read ends). No lock of the
// module's own is ever held, so a process forked while reads run can read
// and write in the child.
#pragma once

#include <Python.h>
#include <pybind11/pybind11.h>

#include <atomic>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <tarvel/tarvel.hpp>

namespace tarvel_python {

namespace py = pybind11;

template <class W>
using Store = tarvel::Graph<std::string, W>;

template <class W>
using View = tarvel::GraphView<std::string, W>;

// One state of a graph's contents.
template <class W>
struct Version {
    explicit Version(Store<W>&& contents) : graph(std::move(contents)) {}
    // A copy for a write: the same contents, held by no read.
    Version(const Version& other) : graph(other.graph) {}

    Store<W> graph;
    mutable std::atomic<std::size_t> readers{0};
};

// The Python object made for each node name the first time a result
// contains it: a str, or the raw bytes when the name is not UTF-8 (so that
// an Edge can carry it and fail only when it is read). Names never change,
// so results share these objects instead of decoding again; every version
// of a graph agrees on the names of the nodes it has. Touched only holding
// the interpreter lock.
class NameCache {
public:
    // A borrowed reference to the object for `node` of `view`; nullptr with
    // a Python error set when no object could be made.
    template <class W>
    PyObject* cached(const View<W>& view, tarvel::NodeIndex node) {
        if (node < objects.size()) {
            if (PyObject* object = objects[node].ptr()) return object;  // the common case, kept small
        }
        return make(view.name(node), node, view.nodeCount());
    }

    // Asks for the cached object of `node` to be brought into the cache:
    // step 0 its slot, step 1 (once the slot is there) the object.
    void prefetch(tarvel::NodeIndex node, int step) const {
        if (node >= objects.size()) return;
        if (step == 0) {
            tarvel::detail::prefetch(&objects[node]);
        } else if (objects[node]) {
            tarvel::detail::prefetch<true>(objects[node].ptr());
        }
    }

private:
    // Makes, caches and returns (borrowed) the object for `node` of a graph
    // of `count` nodes.
    __attribute__((noinline)) PyObject* make(const std::string& name, tarvel::NodeIndex node, std::size_t count) {
        PyObject* object = PyUnicode_DecodeUTF8(name.data(), static_cast<Py_ssize_t>(name.size()), nullptr);
        if (object == nullptr) {
            PyErr_Clear();
            object = PyBytes_FromStringAndSize(name.data(), static_cast<Py_ssize_t>(name.size()));
            if (object == nullptr) return nullptr;
        }
        // Looked up again: making the object may have run other threads,
        // which may have grown the cache.
        if (node >= objects.size()) objects.resize(std::max<std::size_t>(node + 1, count));
        py::object& slot = objects[node];
        if (slot) {
            Py_DECREF(object);
        } else {
            slot = py::reinterpret_steal<py::object>(object);
        }
        return slot.ptr();
    }

    std::vector<py::object> objects;
};

// What a Python Graph object holds.
template <class W>
class SharedGraph {
public:
    using Weight = W;

    explicit SharedGraph(bool directed) : current(std::make_shared<Version<W>>(Store<W>(directed))) {}
    explicit SharedGraph(Store<W>&& contents) : current(std::make_shared<Version<W>>(std::move(contents))) {}
    SharedGraph(SharedGraph&&) = default;
    SharedGraph(const SharedGraph&) = delete;

    // The current version, for a read or a write; holding the interpreter lock.
    const std::shared_ptr<Version<W>>& version() const { return current; }
    void replace(std::shared_ptr<Version<W>> next) { current = std::move(next); }

    NameCache& names() const { return cache; }

private:
    std::shared_ptr<Version<W>> current;
    mutable NameCache cache;
};

// The reads running on this thread, innermost first: each knows its graph
// (as an untyped identity) and the next one out.
struct ReadLink {
    const void* graph;
    const ReadLink* outer;
};
inline thread_local const ReadLink* innermostRead = nullptr;

// Whether this thread is inside a read of `graph`; the read, or nullptr.
inline const ReadLink* readingOn(const void* graph) {
    for (const ReadLink* read = innermostRead; read != nullptr; read = read->outer) {
        if (read->graph == graph) return read;
    }
    return nullptr;
}

// A read of a graph for the length of a scope, made holding the interpreter
// lock; it may end without it. Everything the operation touches of the
// graph, its names included, goes through it.
template <class W>
class Read : public ReadLink {
public:
    explicit Read(const SharedGraph<W>& g) : ReadLink{&g, innermostRead}, owner(g) {
        const ReadLink* outerRead = outer == nullptr ? nullptr : readingOn(&g);
        held = outerRead != nullptr ? static_cast<const Read*>(outerRead)->held : g.version();
        held->readers.fetch_add(1, std::memory_order_relaxed);
        innermostRead = this;
    }
    ~Read() {
        innermostRead = outer;
        // Release: what this read did with the version comes before a
        // writer's seeing it free.
        held->readers.fetch_sub(1, std::memory_order_release);
    }
    Read(const Read&) = delete;
    Read& operator=(const Read&) = delete;

    const Store<W>& graph() const { return held->graph; }
    View<W> view() const { return held->graph.view(); }
    std::size_t nodeCount() const { return held->graph.nodeCount(); }

    // A borrowed reference to the cached str (or bytes) of `node`; nullptr
    // with a Python error set when none could be made.
    PyObject* cachedName(tarvel::NodeIndex node) const { return owner.names().cached(view(), node); }

    // A new reference to the name of `node` as a str; throws
    // error_already_set (UnicodeDecodeError) for a name that is not UTF-8.
    PyObject* name(tarvel::NodeIndex node) const {
        PyObject* cached = cachedName(node);
        if (cached == nullptr) throw py::error_already_set();
        if (PyUnicode_CheckExact(cached)) {
            Py_INCREF(cached);
            return cached;
        }
        PyObject* decoded = PyUnicode_DecodeUTF8(PyBytes_AS_STRING(cached), PyBytes_GET_SIZE(cached), nullptr);
        if (decoded == nullptr) throw py::error_already_set();
        return decoded;
    }

    void prefetchName(tarvel::NodeIndex node, int step) const { owner.names().prefetch(node, step); }

private:
    const SharedGraph<W>& owner;
    std::shared_ptr<Version<W>> held;
};

// The contents a read of `g` made now would see, for the operations that
// answer at once, holding the interpreter lock and running no Python code
// (a membership test, a count): the version of the thread's read of `g`
// when it is inside one, else the current version.
template <class W>
const Store<W>& contents(const SharedGraph<W>& g) {
    if (const ReadLink* read = readingOn(&g)) return static_cast<const Read<W>*>(read)->graph();
    return g.version()->graph;
}

// A version kept from changing in place while a write prepares on it (not a
// read: a nested write of the same thread may go on, on a copy).
template <class W>
class Hold {
public:
    explicit Hold(std::shared_ptr<Version<W>> version) : held(std::move(version)) {
        held->readers.fetch_add(1, std::memory_order_relaxed);
    }
    ~Hold() { release(); }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

    void release() {
        if (held) held->readers.fetch_sub(1, std::memory_order_release);
        held.reset();
    }

private:
    std::shared_ptr<Version<W>> held;
};

// Changes `g` at once when no read holds its current version, for a change
// whose prepare step runs no Python code and calls no check (one node, one
// edge): nothing can come between the look at the count of reads and the
// change. False, with nothing done, when a read holds the version.
template <class W, class Prepare, class Apply>
bool writeAtOnce(SharedGraph<W>& g, Prepare& prepare, Apply& apply) {
    Version<W>& now = *g.version();
    // Acquire: the reads that held the version are done with it.
    if (now.readers.load(std::memory_order_acquire) != 0) return false;
    auto prepared = prepare(std::as_const(now.graph));
    apply(now.graph, prepared);
    return true;
}

// Changes `g` holding the interpreter lock: `prepare(const Store&)` checks
// the change and returns what `apply(Store&, prepared)` needs to make it.
// `prepare` may run long and call the thread's interrupt check, and so may
// the copy; `apply` must call no Python code and no check. A failure (also
// one raised by the interrupt check) leaves the graph as it was; once
// `apply` has returned the write has succeeded.
// Errors: std::runtime_error "the graph was changed while it was being
// searched" on a thread that is reading `g`; what `prepare` and `apply`
// throw.
template <class W, class Prepare, class Apply>
void write(SharedGraph<W>& g, Prepare&& prepare, Apply&& apply) {
    if (readingOn(&g) != nullptr) throw std::runtime_error("the graph was changed while it was being searched");
    for (;;) {
        const std::shared_ptr<Version<W>> base = g.version();
        Hold<W> hold(base);
        auto prepared = prepare(std::as_const(base->graph));
        if (g.version() != base) continue;  // changed by code the checks ran: prepare again
        hold.release();
        std::shared_ptr<Version<W>> target = base;
        // Acquire: the reads that held the version are done with it.
        if (base->readers.load(std::memory_order_acquire) != 0) {
            Hold<W> again(base);
            target = std::make_shared<Version<W>>(*base);
            if (g.version() != base) continue;
        }
        apply(target->graph, prepared);
        if (target != base) g.replace(std::move(target));
        return;
    }
}

}  // namespace tarvel_python
