package com.example.app;

import com.example.util.Text;

/** Builds the greeting; what it does depends on the compiled-in features. */
final class Greeter {
    private final String name;

    Greeter(String name) {
        this.name = name;
    }

    String greeting() {
#ifdef FEATURE_X
        String shown = Text.titleCase(name);
#else
        String shown = name;
#endif
#ifdef DEBUG
        System.err.println("debug: " + Text.words(name).size() + " word(s) in the name");
#endif
        return "Hello, " + shown + "!";
    }
}
