# Sources of the fast renderer (filled in with the vectorised paths).
