package org.example.shapes

import kotlin.math.PI
import kotlin.math.sqrt

sealed class Shape {
    abstract val area: Double

    data class Circle(val radius: Double) : Shape() {
        override val area get() = PI * radius * radius
    }

    data class Triangle(val a: Double, val b: Double, val c: Double) : Shape() {
        override val area: Double
            get() {
                val s = (a + b + c) / 2
                return sqrt(s * (s - a) * (s - b) * (s - c))
            }
    }
}

fun describe(shape: Shape): String = when (shape) {
    is Shape.Circle -> "circle r=${shape.radius}"
    is Shape.Triangle -> "triangle ${shape.a}/${shape.b}/${shape.c}"
}

fun main(args: Array<String>) {
    val shapes = listOf(Shape.Circle(1.5), Shape.Triangle(3.0, 4.0, 5.0))
    shapes.sortedBy { it.area }.forEach { println("${describe(it)}: %.2f".format(it.area)) }
    val total = shapes.sumOf { it.area }
    check(total > 0) { "no area at all" }
    println(if (args.isEmpty()) "total $total" else null ?: "?")
}
