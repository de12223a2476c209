# Tests of the fast renderer (added with the vectorised paths).
