"""The `>>>` examples of a page (README.md, docs/*.md): its ```python blocks
run as one doctest session, each block going on from the one before, in the
current folder. Standard library only, so that the examples also run where
tarvel is installed with nothing but networkx:
    python tests/python/doc_examples.py README.md docs/networkx-backend.md ...
runs each page in a scratch folder of its own, prints the failures and each
page's count, and exits with 1 when an example failed."""
import doctest
import os
import re
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
# A page marked so uses networkx's backends, which networkx 3.4 brought.
NEEDS_DISPATCH = "<!-- examples need networkx 3.4 or later -->"


def read(page):
    """The text of a page, named by its path from the repository's root."""
    with open(os.path.join(ROOT, page), encoding="utf-8") as f:
        return f.read()


def run(page, text=None):
    """Runs the page's examples; returns (examples tried, blocks with failures)."""
    text = read(page) if text is None else text
    namespace, tried, failed = {}, 0, []
    for block in (b for b in re.findall(r"```python\n(.*?)```", text, re.S) if ">>>" in b):
        test = doctest.DocTestParser().get_doctest(block, namespace, page, page, 0)
        runner = doctest.DocTestRunner(optionflags=doctest.ELLIPSIS)
        runner.run(test, clear_globs=False)
        tried += runner.tries
        if runner.failures:
            failed.append(block)
        namespace = test.globs  # the next block goes on from here
    return tried, failed


def main(pages):
    status = 0
    for page in pages:
        with tempfile.TemporaryDirectory() as scratch:
            here = os.getcwd()
            os.chdir(scratch)
            try:
                tried, failed = run(page)
            finally:
                os.chdir(here)
        print("%s: %d examples, %d blocks failed" % (page, tried, len(failed)))
        if failed or not tried:
            status = 1  # a page without examples here means the wrong page or a broken parse
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
