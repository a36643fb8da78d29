// The object that carries the test programs' precompiled GoogleTest headers.
