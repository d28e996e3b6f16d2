# Sourced: no_compiler_path DIR [FOLDER...] fills DIR with links to the
# commands of the FOLDERs (the system's bin folders when none is named), less every C and C++ compiler (cc, c++, gcc, g++,
# clang, clang++, c89, c99, with a version or a target prefix too), and
# prints DIR; PATH=DIR is then a machine without a compiler, where pip
# cannot fall back to building a source distribution. Fails when any of
# g++, c++, cc, gcc, clang is still found there.
no_compiler_path() {
    local dir="$1" folder command name folders=("${@:2}")
    [ "${#folders[@]}" -gt 0 ] || folders=(/usr/local/sbin /usr/local/bin /usr/sbin /usr/bin /sbin /bin)
    rm -rf "$dir"
    mkdir -p "$dir"
    for folder in "${folders[@]}"; do
        [ -d "$folder" ] || continue
        for command in "$folder"/*; do
            name="${command##*/}"
            [ -x "$command" ] && [ ! -d "$command" ] || continue
            [ -e "$dir/$name" ] && continue  # the first folder on a usual PATH wins
            if [[ "$name" =~ (^|-)(cc|c\+\+|gcc|g\+\+|clang|clang\+\+|c89|c99)(-[0-9.]+)?$ ]]; then
                continue
            fi
            ln -s "$command" "$dir/$name"
        done
    done
    for name in g++ c++ cc gcc clang; do
        if PATH="$dir" command -v "$name" >/dev/null 2>&1; then
            echo "a compiler is still found in $dir: $name" >&2
            return 1
        fi
    done
    echo "$dir"
}
