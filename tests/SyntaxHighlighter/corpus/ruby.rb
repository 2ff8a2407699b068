# frozen_string_literal: true

require 'json'
require 'time'

module Inventory
  class OutOfStock < StandardError; end

  class Shelf
    include Enumerable
    attr_reader :items

    DEFAULT_LIMIT = 20

    def initialize(limit: DEFAULT_LIMIT)
      @items = {}
      @limit = limit
    end

    def add(name, count = 1)
      raise ArgumentError, "shelf full (#{@limit})" if @items.size >= @limit && !@items.key?(name)

      @items[name] = @items.fetch(name, 0) + count
      self
    end

    def take(name)
      raise OutOfStock, "no #{name} left" unless @items[name]&.positive?

      @items[name] -= 1
    end

    def each(&block)
      @items.each(&block)
    end

    def to_json(*args)
      { updated: Time.now.utc.iso8601, items: @items }.to_json(*args)
    end
  end
end

shelf = Inventory::Shelf.new(limit: 3).add('tea', 2).add(:coffee)
shelf.take('tea')
puts shelf.select { |_, n| n.positive? }.map(&:first).inspect, shelf.to_json
