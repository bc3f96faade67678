package com.example.app;

import com.example.util.Counter;

/**
 * Deliberately broken: the FEATURE_X branch, which the preprocessor keeps,
 * assigns a String to an int on line 18. The #else branch is broken too, but
 * the preprocessor blanks it, so the compiler must never report it.
 */
public final class Main {
    private Main() {
    }

    public static void main(String[] args) {
        Counter counter = new Counter();
        counter.add();
#ifdef FEATURE_X
        int total = "one";
#else
        boolean total = counter;
#endif
        System.out.println(total);
    }
}
