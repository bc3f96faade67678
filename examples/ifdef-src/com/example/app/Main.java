package com.example.app;

import com.example.util.Features;

/** Prints which features were compiled in, then greets the name given. */
public final class Main {
    private Main() {
    }

    public static void main(String[] args) {
        System.out.println(Features.describe());
        String name = args.length > 0 ? String.join(" ", args) : "drosk user";
        System.out.println(new Greeter(name).greeting());
#if defined(FEATURE_X) && !defined(DEBUG)
        System.out.println("built with FEATURE_X, without DEBUG");
#endif
    }
}
