/* An icon library is a DLL made of resources only: no code, no entry point. The
   linker still wants one source file; this is it. */
