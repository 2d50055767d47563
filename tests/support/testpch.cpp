// The translation unit that compiles the tests' precompiled header
// (testpch.h) once; the test targets reuse it.
