# Sourced by the benchmarks from the repository's root. The corpus lies beside the repository; a
# worktree whose folder has no ../shared beside it finds it beside the main checkout, and
# KX_CORPUS_DIR names it anywhere else. Sets corpus_root and corpus (its text documents).
corpus_root="${KX_CORPUS_DIR:-../shared/corpus}"
if [ -z "${KX_CORPUS_DIR:-}" ] && [ ! -d "$corpus_root" ]; then
  common="$(git rev-parse --path-format=absolute --git-common-dir 2>/dev/null || true)"
  [ -n "$common" ] && corpus_root="$(dirname "$common")/../shared/corpus"
fi
corpus="$corpus_root/text"

# Ends the benchmark with a message when one of the named tools is missing.
kx_require_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (bash scripts/install-deps)"; exit 1; }
  done
}
