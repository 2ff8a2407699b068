import Foundation

protocol Describable {
    var summary: String { get }
}

enum Unit: String, CaseIterable {
    case gram = "g", kilogram = "kg"
}

struct Weight: Describable, Comparable {
    let value: Double
    let unit: Unit

    var grams: Double { unit == .kilogram ? value * 1_000 : value }
    var summary: String { "\(value) \(unit.rawValue)" }

    static func < (lhs: Weight, rhs: Weight) -> Bool { lhs.grams < rhs.grams }
}

final class Scale {
    private(set) var readings: [Weight] = []
    weak var delegate: AnyObject?

    @discardableResult
    func record(_ weight: Weight) -> Int {
        readings.append(weight)
        return readings.count
    }

    func heaviest() -> Weight? {
        guard !readings.isEmpty else { return nil }
        return readings.max()
    }
}

let scale = Scale()
scale.record(Weight(value: 1.2, unit: .kilogram))
scale.record(Weight(value: 950, unit: .gram))
if let top = scale.heaviest() {
    print("heaviest: \(top.summary), \(Unit.allCases.count) units known")
}
