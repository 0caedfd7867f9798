// Anchor of the precompiled Qt Core headers.
