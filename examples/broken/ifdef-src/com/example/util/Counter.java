package com.example.util;

/** Counts things; compiles cleanly whatever the switches are. */
public final class Counter {
    private int count;

    public void add() {
        count++;
    }

    public int count() {
        return count;
    }
}
